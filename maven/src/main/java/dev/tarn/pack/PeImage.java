package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read16;
import static dev.tarn.pack.LittleEndian.read32;
import static dev.tarn.pack.LittleEndian.write16;
import static dev.tarn.pack.LittleEndian.write32;

import java.io.ByteArrayOutputStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/** The headers of a Windows (PE) image, as far as packing reads and changes them. */
final class PeImage {
  static final int CERTIFICATE_DIRECTORY = 4;
  private static final int RESOURCE_DIRECTORY = 2;
  private static final int SECTION_HEADER_SIZE = 40;

  private PeImage() {}

  /** Thrown when an image's layout is not one this can read or edit soundly. */
  static final class Unusable extends Exception {
    private static final long serialVersionUID = 1L;

    Unusable(String why) {
      super(why);
    }
  }

  private static final class Section {
    int header;
    long virtualSize;
    long virtualAddress;
    long rawSize;
    long rawPointer;
    long characteristics;

    long loadedEnd() {
      return virtualAddress + Math.max(virtualSize, rawSize);
    }

    Section copy() {
      Section copy = new Section();
      copy.header = header;
      copy.virtualSize = virtualSize;
      copy.virtualAddress = virtualAddress;
      copy.rawSize = rawSize;
      copy.rawPointer = rawPointer;
      copy.characteristics = characteristics;
      return copy;
    }
  }

  private static final class Layout {
    int pe;
    int optional;
    long sectionAlignment;
    long fileAlignment;
    long sizeOfHeaders;
    long sizeOfImage;
    int directories;
    long directoryCount;
    int sectionTable;
    final List<Section> sections = new ArrayList<>();
  }

  /** Position of the PE signature of a PE32 or PE32+ image, 0 when there is none. */
  static int peHeader(byte[] file) {
    if (file.length < 0x40 || file[0] != 'M' || file[1] != 'Z') return 0;
    long at = read32(file, 0x3C);
    if (at < 0x40 || at > file.length || file.length - at < 24 + 96) return 0;
    int pe = (int) at;
    if (file[pe] != 'P' || file[pe + 1] != 'E' || file[pe + 2] != 0 || file[pe + 3] != 0) return 0;
    int magic = read16(file, pe + 24);
    if (magic != 0x10B && magic != 0x20B) return 0;
    return pe;
  }

  /** The CheckSum field's position, 0 when file is no PE. */
  static int checksumField(byte[] file) {
    int header = peHeader(file);
    return header == 0 ? 0 : header + 24 + 64;
  }

  /** The PE checksum of file, its CheckSum field counted as zero. */
  static long checksum(byte[] file, int checksumField) {
    long sum = 0;
    int size = file.length;
    for (int i = 0; i < size; i += 2) {
      if (i == checksumField || i == checksumField + 2) continue;
      long word = file[i] & 0xFF;
      if (i + 1 < size) word |= (long) (file[i + 1] & 0xFF) << 8;
      sum += word;
      sum = (sum & 0xFFFF) + (sum >>> 16);
    }
    sum = (sum & 0xFFFF) + (sum >>> 16);
    return (sum + size) & 0xFFFFFFFFL;
  }

  /** Puts the checksum in place when the image has one. */
  static void updateChecksum(byte[] file) {
    int field = checksumField(file);
    if (read32(file, field) != 0) write32(file, field, checksum(file, field));
  }

  /** Where the data directories start ([0]) and how many the header holds and has room for ([1]). */
  private static long[] dataDirectories(byte[] file, int pe) {
    int optional = pe + 24;
    int optionalSize = read16(file, pe + 20);
    int fixedSize = read16(file, optional) == 0x20B ? 112 : 96;
    int at = optional + fixedSize;
    if (optionalSize < fixedSize || file.length < at) return new long[] {at, 0};
    return new long[] {at, Math.min(read32(file, at - 4), (optionalSize - fixedSize) / 8)};
  }

  /** The size the image's data directory entry gives, 0 when it has no such entry. */
  static long directorySize(byte[] file, int index) {
    int pe = peHeader(file);
    if (pe == 0) return 0;
    long[] directories = dataDirectories(file, pe);
    long entry = directories[0] + 8L * index;
    if (index >= directories[1] || entry + 8 > file.length) return 0;
    return read32(file, (int) entry + 4);
  }

  private static boolean powerOfTwo(long value) {
    return value != 0 && (value & (value - 1)) == 0;
  }

  private static Layout readLayout(byte[] file) throws Unusable {
    int pe = peHeader(file);
    if (pe == 0) throw new Unusable("not a Windows (PE) image");
    int optionalSize = read16(file, pe + 20);
    int optional = pe + 24;
    int fixedSize = read16(file, optional) == 0x20B ? 112 : 96;
    if (file.length - optional < optionalSize || optionalSize < fixedSize)
      throw new Unusable("not a Windows (PE) image");
    Layout layout = new Layout();
    layout.pe = pe;
    layout.optional = optional;
    layout.sectionAlignment = read32(file, optional + 32);
    layout.fileAlignment = read32(file, optional + 36);
    layout.sizeOfImage = read32(file, optional + 56);
    layout.sizeOfHeaders = read32(file, optional + 60);
    long[] directories = dataDirectories(file, pe);
    layout.directories = (int) directories[0];
    layout.directoryCount = directories[1];
    layout.sectionTable = optional + optionalSize;
    int count = read16(file, pe + 6);
    Unusable damaged = new Unusable("the image's headers are damaged");
    if (!powerOfTwo(layout.fileAlignment) || !powerOfTwo(layout.sectionAlignment)
        || layout.fileAlignment > 0x10000 || layout.sectionAlignment < layout.fileAlignment)
      throw damaged;
    if ((file.length - layout.sectionTable) / SECTION_HEADER_SIZE < count
        || layout.sizeOfHeaders < layout.sectionTable + (long) SECTION_HEADER_SIZE * count)
      throw damaged;
    for (int i = 0; i < count; ++i) {
      Section section = new Section();
      section.header = layout.sectionTable + i * SECTION_HEADER_SIZE;
      section.virtualSize = read32(file, section.header + 8);
      section.virtualAddress = read32(file, section.header + 12);
      section.rawSize = read32(file, section.header + 16);
      section.rawPointer = read32(file, section.header + 20);
      section.characteristics = read32(file, section.header + 36);
      if (section.rawSize != 0 && (section.rawPointer < layout.sizeOfHeaders
          || section.rawPointer > file.length || file.length - section.rawPointer < section.rawSize))
        throw damaged;
      // An end past 4 GiB would wrap around in the image's 32-bit addresses.
      if (section.loadedEnd() > 0xFFFFFFFFL) throw damaged;
      layout.sections.add(section);
    }
    return layout;
  }

  /** The index of the section that holds the resource directory. */
  private static int resourceSection(byte[] file, Layout layout) throws Unusable {
    if (layout.directoryCount <= RESOURCE_DIRECTORY
        || read32(file, layout.directories + 8 * RESOURCE_DIRECTORY) == 0)
      throw new Unusable("the image has no resources");
    long rva = read32(file, layout.directories + 8 * RESOURCE_DIRECTORY);
    for (int i = 0; i < layout.sections.size(); ++i) {
      Section section = layout.sections.get(i);
      if (section.virtualAddress == rva && section.rawSize != 0) return i;
    }
    throw new Unusable("the image's resources do not start a section of their own");
  }

  private static void putHeader(byte[] image, Section section, String name) {
    int header = section.header;
    if (name != null) {
      Arrays.fill(image, header, header + 8, (byte) 0);
      for (int i = 0; i < name.length(); ++i) image[header + i] = (byte) name.charAt(i);
    }
    write32(image, header + 8, section.virtualSize);
    write32(image, header + 12, section.virtualAddress);
    write32(image, header + 16, section.rawSize);
    write32(image, header + 20, section.rawPointer);
    write32(image, header + 36, section.characteristics);
  }

  /** The resources of a PE image. */
  static ResourceTree readResources(byte[] file) throws Unusable, ResourceTree.Damaged {
    Layout layout = readLayout(file);
    Section section = layout.sections.get(resourceSection(file, layout));
    long loaded = section.virtualSize == 0 ? section.rawSize
        : Math.min(section.virtualSize, section.rawSize);
    return ResourceTree.parse(file, (int) section.rawPointer, (int) loaded, section.virtualAddress);
  }

  /** The COFF symbol table and the string table after it, {start, end}, or null. */
  private static long[] symbolTable(byte[] file, Layout layout) {
    long symbols = read32(file, layout.pe + 12);
    long count = read32(file, layout.pe + 16);
    if (symbols == 0 || symbols > file.length || (file.length - symbols) / 18 < count) return null;
    long end = symbols + count * 18;
    if (file.length - end >= 4) {
      long strings = read32(file, (int) end);
      if (strings >= 4 && strings <= file.length - end) end += strings;
    }
    return new long[] {symbols, end};
  }

  private static long sectionDataEnd(byte[] file, Layout layout) {
    long end = Math.min(layout.sizeOfHeaders, file.length);
    for (Section section : layout.sections)
      if (section.rawSize != 0) end = Math.max(end, section.rawPointer + section.rawSize);
    return end;
  }

  /** Where the image's own bytes end: past every section's data and the symbol table. */
  static int imageEnd(byte[] file) {
    Layout layout;
    try {
      layout = readLayout(file);
    } catch (Unusable e) {
      return 0;
    }
    long end = sectionDataEnd(file, layout);
    long[] symbols = symbolTable(file, layout);
    if (symbols != null) end = Math.max(end, symbols[1]);
    return (int) end;
  }

  private static long alignUp(long value, long alignment) {
    return (value + alignment - 1) / alignment * alignment;
  }

  /**
   * The image (without appended data) with tree as its resources. The section is rewritten where
   * it stands when the tree fits there or the section ends the image; otherwise a new section is
   * added after the last one and the old one is zeroed and renamed. A symbol table after the
   * sections moves behind the new data. The checksum is left to the caller.
   */
  static byte[] withResources(byte[] image, ResourceTree tree) throws Unusable {
    Layout layout = readLayout(image);
    Section old = layout.sections.get(resourceSection(image, layout));
    if (image.length != imageEnd(image)) throw new Unusable("the image carries appended data");
    long nextAddress = 0xFFFFFFFFL;
    long lastEnd = 0;
    boolean last = true;
    for (Section other : layout.sections) {
      if (other.header != old.header && other.rawSize != 0
          && other.rawPointer < old.rawPointer + old.rawSize
          && old.rawPointer < other.rawPointer + other.rawSize)
        throw new Unusable("the image's resource section shares its file data with another section");
      lastEnd = Math.max(lastEnd, other.loadedEnd());
      if (other.virtualAddress > old.virtualAddress) {
        last = false;
        nextAddress = Math.min(nextAddress, other.virtualAddress);
      }
    }
    // Section data, then at most the symbol table, which moves behind resources that grow.
    long dataEnd = sectionDataEnd(image, layout);
    long[] symbols = symbolTable(image, layout);
    if (symbols != null && (symbols[0] < dataEnd || symbols[1] != image.length))
      throw new Unusable("the image's symbol table lies among its sections");
    byte[] tail = Arrays.copyOfRange(image, symbols != null ? (int) symbols[0] : image.length, image.length);
    boolean endsData = old.rawPointer + old.rawSize == dataEnd;

    Editor result = new Editor(image, layout, symbols != null, tail);
    Section written = old.copy();
    byte[] blob = tree.serialize(old.virtualAddress);

    if (last && endsData) {
      // The resources end the image (a file packed before): they grow or shrink where they are.
      if (old.virtualAddress + alignUp(blob.length, layout.fileAlignment) > 0xFFFFFFFFL
          || old.rawPointer + alignUp(blob.length, layout.fileAlignment) + tail.length > 0xFFFFFFFFL)
        throw new Unusable("the resources are too large");
      written.rawSize = result.place(old.rawPointer, blob);
      written.virtualSize = blob.length;
      result.addInitialized(written.rawSize - old.rawSize);
      putHeader(result.bytes, written, null);
      write32(result.bytes, layout.optional + 56,
          alignUp(written.virtualAddress + written.virtualSize, layout.sectionAlignment));
    } else if (blob.length <= old.rawSize && old.virtualAddress + blob.length <= nextAddress) {
      // It fits where the old tree stood; the section keeps its extent.
      byte[] bytes = result.bytes;
      System.arraycopy(blob, 0, bytes, (int) old.rawPointer, blob.length);
      Arrays.fill(bytes, (int) old.rawPointer + blob.length, (int) (old.rawPointer + old.rawSize), (byte) 0);
      written.virtualSize = Math.max(old.virtualSize, blob.length);
      putHeader(bytes, written, null);
    } else {
      // A new section after the last one; the old one stays mapped, zeroed.
      int slot = layout.sectionTable + SECTION_HEADER_SIZE * layout.sections.size();
      long firstData = layout.sizeOfHeaders;
      for (Section section : layout.sections)
        if (section.rawSize != 0) firstData = Math.min(firstData, section.rawPointer);
      if (slot + SECTION_HEADER_SIZE > firstData || !isZero(result.bytes, slot, SECTION_HEADER_SIZE))
        throw new Unusable("the image's headers have no room for another section");
      long address = alignUp(Math.max(lastEnd, layout.sizeOfImage), layout.sectionAlignment);
      long rawPointer = alignUp(dataEnd, layout.fileAlignment);
      blob = tree.serialize(address & 0xFFFFFFFFL);
      long rawSize = alignUp(blob.length, layout.fileAlignment);
      if (address + rawSize > 0xFFFFFFFFL || rawPointer + rawSize + tail.length > 0xFFFFFFFFL)
        throw new Unusable("the resources are too large");
      Arrays.fill(result.bytes, (int) old.rawPointer, (int) (old.rawPointer + old.rawSize), (byte) 0);
      putHeader(result.bytes, old, ".unused");
      written.header = slot;
      written.virtualAddress = address;
      written.virtualSize = blob.length;
      written.rawPointer = rawPointer;
      written.rawSize = result.place(rawPointer, blob);
      putHeader(result.bytes, written, ".rsrc");
      write16(result.bytes, layout.pe + 6, layout.sections.size() + 1);
      result.addInitialized(rawSize);
      write32(result.bytes, layout.optional + 56, alignUp(address + blob.length, layout.sectionAlignment));
    }
    int directory = layout.directories + 8 * RESOURCE_DIRECTORY;
    write32(result.bytes, directory, written.virtualAddress);
    write32(result.bytes, directory + 4, blob.length);
    return result.bytes;
  }

  private static boolean isZero(byte[] bytes, int from, int length) {
    for (int i = from; i < from + length; ++i) if (bytes[i] != 0) return false;
    return true;
  }

  /** The image being rewritten. */
  private static final class Editor {
    byte[] bytes;
    final Layout layout;
    final boolean symbols;
    final byte[] tail;

    Editor(byte[] image, Layout layout, boolean symbols, byte[] tail) {
      this.bytes = image.clone();
      this.layout = layout;
      this.symbols = symbols;
      this.tail = tail;
    }

    void addInitialized(long change) {
      int field = layout.optional + 8;
      write32(bytes, field, Math.max(0, read32(bytes, field) + change));
    }

    /** Puts blob at rawPointer, padded, and the symbol table after it; gives the padded size. */
    long place(long rawPointer, byte[] blob) {
      long rawSize = alignUp(blob.length, layout.fileAlignment);
      ByteArrayOutputStream out = new ByteArrayOutputStream();
      out.write(bytes, 0, (int) Math.min(rawPointer, bytes.length));
      for (long i = bytes.length; i < rawPointer; ++i) out.write(0);
      out.write(blob, 0, blob.length);
      for (long i = blob.length; i < rawSize; ++i) out.write(0);
      if (symbols) {
        byte[] head = out.toByteArray();
        write32(head, layout.pe + 12, head.length);
        out.reset();
        out.write(head, 0, head.length);
      }
      out.write(tail, 0, tail.length);
      bytes = out.toByteArray();
      return rawSize;
    }
  }
}
