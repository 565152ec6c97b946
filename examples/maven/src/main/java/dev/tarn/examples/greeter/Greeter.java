package dev.tarn.examples.greeter;

import org.apache.commons.lang3.StringUtils;

/** Greets whoever the arguments name, with a class from its one dependency. */
public final class Greeter {
  private Greeter() {}

  public static void main(String[] args) {
    String who = args.length == 0 ? "world" : StringUtils.join(args, ' ');
    System.out.println("Hello, " + StringUtils.capitalize(who) + "!");
    System.out.println("Java " + System.getProperty("java.specification.version"));
  }
}
