package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read16;
import static dev.tarn.pack.LittleEndian.read32;
import static dev.tarn.pack.LittleEndian.write16;
import static dev.tarn.pack.LittleEndian.write32;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.HashSet;
import java.util.List;
import java.util.Set;

/**
 * The resources of a Windows executable as a plain list, read from and written back to the
 * resource section's bytes without any Windows API.
 */
final class ResourceTree {
  static final int RT_ICON = 3;
  static final int RT_RCDATA = 10;
  static final int RT_GROUP_ICON = 14;
  static final int RT_VERSION = 16;
  static final int RT_MANIFEST = 24;

  private static final long HIGH_BIT = 0x80000000L;
  private static final int DIRECTORY_SIZE = 16;
  private static final int ENTRY_SIZE = 8;
  private static final int DATA_ENTRY_SIZE = 16;

  /** A type or a name: a number, or a string when named. Strings sort before numbers. */
  static final class Key implements Comparable<Key> {
    final boolean named;
    final int id;
    final String text;

    private Key(boolean named, int id, String text) {
      this.named = named;
      this.id = id;
      this.text = text;
    }

    static Key id(int id) {
      return new Key(false, id, "");
    }

    static Key text(String text) {
      return new Key(true, 0, text);
    }

    @Override
    public boolean equals(Object other) {
      if (!(other instanceof Key)) return false;
      Key key = (Key) other;
      return named == key.named && (named ? text.equals(key.text) : id == key.id);
    }

    @Override
    public int hashCode() {
      return named ? text.hashCode() : id;
    }

    /** By code unit for strings, as the directory orders them. */
    @Override
    public int compareTo(Key other) {
      if (named != other.named) return named ? -1 : 1;
      return named ? text.compareTo(other.text) : Integer.compare(id, other.id);
    }
  }

  static final class Resource {
    Key type = Key.id(0);
    Key name = Key.id(0);
    int language;
    long codePage;
    byte[] data = new byte[0];

    Resource() {}

    Resource(Key type, Key name, int language, byte[] data) {
      this.type = type;
      this.name = name;
      this.language = language;
      this.data = data;
    }

    Resource copy() {
      Resource copy = new Resource(type, name, language, data);
      copy.codePage = codePage;
      return copy;
    }
  }

  private static final Comparator<Resource> ORDER = Comparator.<Resource, Key>comparing(r -> r.type)
      .thenComparing(r -> r.name)
      .thenComparingInt(r -> r.language);

  // The root directory's fields, which every directory of a written tree shares.
  long characteristics;
  long timeDateStamp;
  int majorVersion;
  int minorVersion;
  final List<Resource> resources = new ArrayList<>();

  void sort() {
    resources.sort(ORDER);
  }

  /**
   * Reads the tree from the resource section's bytes as loaded at sectionRva. Refuses a tree
   * that is not three levels deep, runs outside the section, loops or names a resource twice.
   */
  static ResourceTree parse(byte[] section, int from, int size, long sectionRva) throws Damaged {
    ResourceTree tree = new ResourceTree();
    new Parser(section, from, size, sectionRva).directory(0, 0, new Resource(), tree);
    tree.sort();
    for (int i = 1; i < tree.resources.size(); ++i)
      if (ORDER.compare(tree.resources.get(i - 1), tree.resources.get(i)) >= 0)
        throw new Damaged("a resource is named twice");
    return tree;
  }

  /** The resource section is damaged, for the reason given. */
  static final class Damaged extends Exception {
    private static final long serialVersionUID = 1L;

    Damaged(String why) {
      super("the resource section is damaged: " + why);
    }
  }

  private static final class Parser {
    final byte[] bytes;
    final int from;
    final long size;
    final long rva;
    final Set<Long> seen = new HashSet<>();  // directories and data entries, each taken once
    long dataTotal;

    Parser(byte[] bytes, int from, int size, long rva) {
      this.bytes = bytes;
      this.from = from;
      this.size = size;
      this.rva = rva;
    }

    Key key(long field) throws Damaged {
      if ((field & HIGH_BIT) == 0) {
        if (field > 0xFFFF) throw new Damaged("an entry's number is out of range");
        return Key.id((int) field);
      }
      long at = field & ~HIGH_BIT;
      if (at > size || size - at < 2) throw new Damaged("a name lies outside the section");
      int length = read16(bytes, from + (int) at);
      if ((size - at - 2) / 2 < length) throw new Damaged("a name runs past the section");
      char[] text = new char[length];
      for (int i = 0; i < length; ++i) text[i] = (char) read16(bytes, from + (int) at + 2 + 2 * i);
      return Key.text(new String(text));
    }

    void take(long at) throws Damaged {
      if (!seen.add(at)) throw new Damaged("a table is reached twice");
    }

    void directory(long at, int level, Resource path, ResourceTree tree) throws Damaged {
      take(at);
      if (at > size || size - at < DIRECTORY_SIZE) throw new Damaged("a table lies outside the section");
      int table = from + (int) at;
      if (level == 0) {
        tree.characteristics = read32(bytes, table);
        tree.timeDateStamp = read32(bytes, table + 4);
        tree.majorVersion = read16(bytes, table + 8);
        tree.minorVersion = read16(bytes, table + 10);
      }
      long count = (long) read16(bytes, table + 12) + read16(bytes, table + 14);
      if ((size - at - DIRECTORY_SIZE) / ENTRY_SIZE < count) throw new Damaged("a table runs past the section");
      for (int i = 0; i < count; ++i) {
        int entry = table + DIRECTORY_SIZE + i * ENTRY_SIZE;
        long name = read32(bytes, entry);
        long target = read32(bytes, entry + 4);
        if (level == 0) {
          path.type = key(name);
        } else if (level == 1) {
          path.name = key(name);
        } else {
          if ((name & HIGH_BIT) != 0) throw new Damaged("a language is given as a string");
          if (name > 0xFFFF) throw new Damaged("a language is out of range");
          path.language = (int) name;
        }
        boolean subdirectory = (target & HIGH_BIT) != 0;
        if (subdirectory != (level < 2)) throw new Damaged("the tree is not three levels deep");
        if (subdirectory) {
          directory(target & ~HIGH_BIT, level + 1, path, tree);
        } else {
          leaf(target, path.copy(), tree);
        }
      }
    }

    void leaf(long at, Resource resource, ResourceTree tree) throws Damaged {
      take(at);
      if (at > size || size - at < DATA_ENTRY_SIZE) throw new Damaged("a data entry lies outside the section");
      int entry = from + (int) at;
      long dataRva = read32(bytes, entry);
      long length = read32(bytes, entry + 4);
      if (dataRva < rva || dataRva - rva > size || size - (dataRva - rva) < length)
        throw new Damaged("a resource's data lies outside the section");
      dataTotal += length;
      if (dataTotal > size) throw new Damaged("resources overlap");
      int data = from + (int) (dataRva - rva);
      resource.data = Arrays.copyOfRange(bytes, data, data + (int) length);
      resource.codePage = read32(bytes, entry + 8);
      tree.resources.add(resource);
    }
  }

  private static int alignUp(int value, int alignment) {
    return (value + alignment - 1) / alignment * alignment;
  }

  /**
   * The section's bytes for this tree loaded at sectionRva: every directory table depth first,
   * then the data entries, the strings and the data, each datum on an 8-byte boundary.
   */
  byte[] serialize(long sectionRva) {
    List<Resource> all = new ArrayList<>(resources);
    all.sort(ORDER);

    // Per type the range of its resources, per name too.
    List<int[]> types = new ArrayList<>();
    List<int[]> names = new ArrayList<>();
    for (int i = 0; i < all.size(); ++i) {
      boolean newType = i == 0 || !all.get(i).type.equals(all.get(i - 1).type);
      if (newType) types.add(new int[] {i, i});
      types.get(types.size() - 1)[1] = i + 1;
      if (newType || !all.get(i).name.equals(all.get(i - 1).name)) names.add(new int[] {i, i});
      names.get(names.size() - 1)[1] = i + 1;
    }

    // Offsets, depth first: the root, then each type's table followed by its names' tables.
    int at = DIRECTORY_SIZE + ENTRY_SIZE * types.size();
    int[] typeTable = new int[types.size()];
    int[] nameTable = new int[names.size()];
    int[] namesOfType = new int[types.size() + 1];
    int nameIndex = 0;
    for (int t = 0; t < types.size(); ++t) {
      typeTable[t] = at;
      int first = nameIndex;
      while (nameIndex < names.size() && names.get(nameIndex)[0] < types.get(t)[1]) ++nameIndex;
      namesOfType[t + 1] = nameIndex;
      at += DIRECTORY_SIZE + ENTRY_SIZE * (nameIndex - first);
      for (int n = first; n < nameIndex; ++n) {
        nameTable[n] = at;
        at += DIRECTORY_SIZE + ENTRY_SIZE * (names.get(n)[1] - names.get(n)[0]);
      }
    }
    int dataEntries = at;
    at += DATA_ENTRY_SIZE * all.size();
    // Strings: one per named type and per named name, in table order.
    int[] typeString = new int[types.size()];
    int[] nameString = new int[names.size()];
    for (int t = 0; t < types.size(); ++t) {
      Key type = all.get(types.get(t)[0]).type;
      if (!type.named) continue;
      typeString[t] = at;
      at += 2 + 2 * type.text.length();
    }
    for (int n = 0; n < names.size(); ++n) {
      Key name = all.get(names.get(n)[0]).name;
      if (!name.named) continue;
      nameString[n] = at;
      at += 2 + 2 * name.text.length();
    }
    int[] dataAt = new int[all.size()];
    for (int i = 0; i < all.size(); ++i) {
      at = alignUp(at, 8);
      dataAt[i] = at;
      at += all.get(i).data.length;
    }
    byte[] out = new byte[alignUp(at, 8)];

    List<Key> keys = new ArrayList<>();
    for (int[] type : types) keys.add(all.get(type[0]).type);
    table(out, 0, keys);
    for (int t = 0; t < types.size(); ++t) {
      Key type = all.get(types.get(t)[0]).type;
      entry(out, DIRECTORY_SIZE + ENTRY_SIZE * t, type, typeString[t], HIGH_BIT | typeTable[t]);
      if (type.named) string(out, typeString[t], type.text);
      keys.clear();
      for (int n = namesOfType[t]; n < namesOfType[t + 1]; ++n) keys.add(all.get(names.get(n)[0]).name);
      table(out, typeTable[t], keys);
      for (int n = namesOfType[t]; n < namesOfType[t + 1]; ++n) {
        int[] range = names.get(n);
        Key name = all.get(range[0]).name;
        entry(out, typeTable[t] + DIRECTORY_SIZE + ENTRY_SIZE * (n - namesOfType[t]), name,
            nameString[n], HIGH_BIT | nameTable[n]);
        if (name.named) string(out, nameString[n], name.text);
        keys.clear();
        for (int i = range[0]; i < range[1]; ++i) keys.add(Key.id(0));
        table(out, nameTable[n], keys);
        for (int i = range[0]; i < range[1]; ++i)
          entry(out, nameTable[n] + DIRECTORY_SIZE + ENTRY_SIZE * (i - range[0]),
              Key.id(all.get(i).language), 0, dataEntries + DATA_ENTRY_SIZE * i);
      }
    }
    for (int i = 0; i < all.size(); ++i) {
      Resource resource = all.get(i);
      int data = dataEntries + DATA_ENTRY_SIZE * i;
      write32(out, data, sectionRva + dataAt[i]);
      write32(out, data + 4, resource.data.length);
      write32(out, data + 8, resource.codePage);
      System.arraycopy(resource.data, 0, out, dataAt[i], resource.data.length);
    }
    return out;
  }

  private void table(byte[] out, int offset, List<Key> keys) {
    write32(out, offset, characteristics);
    write32(out, offset + 4, timeDateStamp);
    write16(out, offset + 8, majorVersion);
    write16(out, offset + 10, minorVersion);
    int named = 0;
    for (Key key : keys) if (key.named) ++named;
    write16(out, offset + 12, named);
    write16(out, offset + 14, keys.size() - named);
  }

  private static void entry(byte[] out, int offset, Key key, int stringAt, long target) {
    write32(out, offset, key.named ? HIGH_BIT | stringAt : key.id);
    write32(out, offset + 4, target);
  }

  private static void string(byte[] out, int offset, String text) {
    write16(out, offset, text.length());
    for (int i = 0; i < text.length(); ++i) write16(out, offset + 2 + 2 * i, text.charAt(i));
  }
}
