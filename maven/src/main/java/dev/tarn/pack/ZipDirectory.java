package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read16;
import static dev.tarn.pack.LittleEndian.read32;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The records of a zip archive that say where the others are: the end record with the central
 * directory's offset, and each central header's offset of its local header. A packed executable
 * carries its jar with these offsets counted from the jar's first byte, as a jar of its own has
 * them: the one layout the JDK still reads once a signature follows the archive.
 */
final class ZipDirectory {
  private static final long END_SIGNATURE = 0x06054b50L;
  private static final long ZIP64_LOCATOR_SIGNATURE = 0x07064b50L;
  private static final long CENTRAL_SIGNATURE = 0x02014b50L;
  private static final long LOCAL_SIGNATURE = 0x04034b50L;
  private static final int END_SIZE = 22;
  private static final int CENTRAL_SIZE = 46;
  private static final int LOCAL_SIZE = 30;
  private static final int ZIP64_LOCATOR_SIZE = 20;
  private static final int MAX_COMMENT = 0xFFFF;
  private static final String ZIP64 =
      "ZIP64 archives (more than 65535 entries or 4 GiB) are not supported";

  /** Where the offsets count from: 0, or the length of what stands before the archive. */
  int base;
  int firstRecord;
  int endRecord;
  long directoryOffset;
  long directorySize;
  /** Position of every central header's local-header offset field. */
  final List<Integer> offsetFields = new ArrayList<>();

  /** Thrown with the reason an archive cannot be used. */
  static final class Unusable extends Exception {
    private static final long serialVersionUID = 1L;

    Unusable(String why) {
      super(why);
    }
  }

  /**
   * Reads and checks the directory of an archive held whole in data, which may have bytes before
   * it and after its end record. Only a plain single-disk zip whose central directory stands
   * right before its end record and whose every offset leads to its record is accepted.
   */
  static ZipDirectory read(byte[] data) throws Unusable {
    int size = data.length;
    if (size < END_SIZE) throw new Unusable("too short to be a zip archive");
    int end = findEndRecord(data);
    if (end == size) throw new Unusable("no end of central directory record: not a zip archive");
    int disk = read16(data, end + 4);
    int directoryDisk = read16(data, end + 6);
    int entriesHere = read16(data, end + 8);
    int entries = read16(data, end + 10);
    long directorySize = read32(data, end + 12);
    long directoryOffset = read32(data, end + 16);
    if (end >= ZIP64_LOCATOR_SIZE && read32(data, end - ZIP64_LOCATOR_SIZE) == ZIP64_LOCATOR_SIGNATURE)
      throw new Unusable(ZIP64);
    if (entries == 0xFFFF || entriesHere == 0xFFFF || directorySize == 0xFFFFFFFFL
        || directoryOffset == 0xFFFFFFFFL)
      throw new Unusable(ZIP64);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries)
      throw new Unusable("archives split over several disks are not supported");
    // The directory stands right before the end record, which tells how many bytes precede the
    // archive: the JDK finds it there and nowhere else.
    if (directorySize > end || directoryOffset > end - directorySize)
      throw new Unusable("the central directory lies outside the archive");
    ZipDirectory directory = new ZipDirectory();
    directory.endRecord = end;
    directory.directoryOffset = directoryOffset;
    directory.directorySize = directorySize;
    directory.readEntries(data, (int) (end - directorySize - directoryOffset), entries);
    return directory;
  }

  /**
   * The end record, searched from the end as the JDK searches: the first whose comment reaches
   * the end exactly, or, where bytes such as a signature follow, the first that the records it
   * names confirm. data.length when there is none.
   */
  private static int findEndRecord(byte[] data) {
    int size = data.length;
    int lowest = size - END_SIZE > MAX_COMMENT ? size - END_SIZE - MAX_COMMENT : 0;
    for (int at = size - END_SIZE; at >= lowest; --at) {
      if (read32(data, at) != END_SIGNATURE) continue;
      if (at + END_SIZE + read16(data, at + 20) == size) return at;
      long directorySize = read32(data, at + 12);
      long directoryOffset = read32(data, at + 16);
      if (at >= LOCAL_SIZE + CENTRAL_SIZE && directorySize >= CENTRAL_SIZE
          && directorySize <= at - LOCAL_SIZE && directoryOffset <= at - LOCAL_SIZE - directorySize
          && read32(data, (int) (at - directorySize)) == CENTRAL_SIGNATURE
          && read32(data, (int) (at - directorySize - directoryOffset)) == LOCAL_SIGNATURE)
        return at;
    }
    return size;
  }

  private static String entryError(String what, int entry) {
    return what + " (entry " + (entry + 1) + ")";
  }

  /** Checks every central header against the local header it names, offsets from base. */
  private void readEntries(byte[] data, int base, int entries) throws Unusable {
    long at = base + directoryOffset;
    long limit = at + directorySize;
    long first = directoryOffset;
    for (int i = 0; i < entries; ++i) {
      if (limit - at < CENTRAL_SIZE || read32(data, (int) at) != CENTRAL_SIGNATURE)
        throw new Unusable(entryError("damaged central directory", i));
      long variable = (long) read16(data, (int) at + 28) + read16(data, (int) at + 30)
          + read16(data, (int) at + 32);
      if (limit - at - CENTRAL_SIZE < variable)
        throw new Unusable(entryError("damaged central directory", i));
      long local = read32(data, (int) at + 42);
      if (local == 0xFFFFFFFFL) throw new Unusable(ZIP64);
      if (local > directoryOffset || directoryOffset - local < LOCAL_SIZE
          || read32(data, (int) (base + local)) != LOCAL_SIGNATURE)
        throw new Unusable("entry " + (i + 1) + " names no local header");
      first = Math.min(first, local);
      offsetFields.add((int) at + 42);
      at += CENTRAL_SIZE + variable;
    }
    if (at != limit) throw new Unusable("the central directory's size does not match its entries");
    this.base = base;
    this.firstRecord = (int) (base + first);
  }

  /** The archive from its first record to the end of data, its offsets counted from there. */
  byte[] detached(byte[] data) {
    byte[] jar = Arrays.copyOfRange(data, firstRecord, data.length);
    long moved = firstRecord - base;
    for (int field : offsetFields)
      LittleEndian.write32(jar, field - firstRecord, read32(data, field) - moved);
    LittleEndian.write32(jar, endRecord + 16 - firstRecord, directoryOffset - moved);
    return jar;
  }
}
