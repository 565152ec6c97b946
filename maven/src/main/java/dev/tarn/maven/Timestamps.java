package dev.tarn.maven;

import java.time.Instant;
import java.time.OffsetDateTime;
import java.time.format.DateTimeParseException;
import org.apache.maven.plugin.MojoFailureException;

/** project.build.outputTimestamp as Maven reads it. */
final class Timestamps {
  private Timestamps() {}

  /**
   * Seconds since 1970 or an ISO 8601 time with its offset; unset, or a single character,
   * means now: the build is then not meant to be reproducible.
   */
  static Instant outputInstant(String text) throws MojoFailureException {
    if (text == null || text.trim().length() < 2) return Instant.now();
    String value = text.trim();
    try {
      if (value.matches("[0-9]+")) return Instant.ofEpochSecond(Long.parseLong(value));
      return OffsetDateTime.parse(value).toInstant();
    } catch (DateTimeParseException | NumberFormatException e) {
      throw AbstractTarnMojo.bad("project.build.outputTimestamp", "\"" + text + "\" is neither seconds since"
          + " 1970 nor a time such as 2026-01-01T00:00:00Z");
    }
  }
}
