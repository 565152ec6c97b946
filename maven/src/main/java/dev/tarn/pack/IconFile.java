package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read16;
import static dev.tarn.pack.LittleEndian.read32;

import java.io.ByteArrayOutputStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * An icon file (.ico) as the resources that carry it in an executable: one RT_ICON per image and
 * the RT_GROUP_ICON directory naming them.
 */
final class IconFile {
  private static final int HEADER_SIZE = 6;
  private static final int FILE_ENTRY_SIZE = 16;
  private static final byte[] PNG = {(byte) 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

  /** Image i gets the id firstId + i. */
  final List<byte[]> images = new ArrayList<>();
  byte[] group;

  /** Thrown with the reason an icon file cannot be used. */
  static final class Unusable extends Exception {
    private static final long serialVersionUID = 1L;

    Unusable(String why) {
      super(why);
    }
  }

  /** Reads an icon file whose every image lies inside it and is a PNG or a bitmap. */
  static IconFile read(byte[] file, int firstId) throws Unusable {
    if (file.length < HEADER_SIZE || read16(file, 0) != 0 || read16(file, 2) != 1)
      throw new Unusable("not an icon file");
    int count = read16(file, 4);
    if (count == 0) throw new Unusable("the icon file holds no image");
    if (count > 0xFFFF - firstId + 1) throw new Unusable("the icon file holds too many images");
    if ((file.length - HEADER_SIZE) / FILE_ENTRY_SIZE < count) throw new Unusable("the icon file is cut short");
    IconFile icon = new IconFile();
    ByteArrayOutputStream group = new ByteArrayOutputStream();
    group.write(file, 0, HEADER_SIZE);
    for (int i = 0; i < count; ++i) {
      int entry = HEADER_SIZE + i * FILE_ENTRY_SIZE;
      long size = read32(file, entry + 8);
      long offset = read32(file, entry + 12);
      if (size == 0 || offset > file.length || file.length - offset < size)
        throw new Unusable("image " + (i + 1) + " of the icon file lies outside the file");
      byte[] image = Arrays.copyOfRange(file, (int) offset, (int) (offset + size));
      boolean png = size >= 8 && Arrays.equals(Arrays.copyOf(image, 8), PNG);
      boolean bitmap = size >= 40 && read32(image, 0) == 40;
      if (!png && !bitmap)
        throw new Unusable("image " + (i + 1) + " of the icon file is neither PNG nor a bitmap");
      icon.images.add(image);
      // The group's entry is the file's without the offset, and the id.
      group.write(file, entry, 12);
      int id = firstId + i;
      group.write(id & 0xFF);
      group.write(id >>> 8 & 0xFF);
    }
    icon.group = group.toByteArray();
    return icon;
  }
}
