package dev.tarn.pack;

import static dev.tarn.pack.LittleEndian.read16;
import static dev.tarn.pack.LittleEndian.read32;

/**
 * A splash image as the launcher takes it, read from its first bytes: a PNG, GIF or BMP file
 * of 1 x 1 to 4096 x 4096 pixels. The checks and reasons are the native packer's.
 */
final class SplashImage {
  /** RCDATA id of the image in a Windows launcher. */
  static final int RESOURCE_ID = 251;
  private static final long MOST_SIDE = 4096;
  private static final long MOST_BYTES = 64L * 1024 * 1024;

  private SplashImage() {}

  /** Thrown with the reason that follows "the splash image is not usable: ". */
  static final class Unusable extends Exception {
    private static final long serialVersionUID = 1L;

    Unusable(String reason) {
      super(reason);
    }
  }

  /** Width and height; the image is refused with the reason when it is not one to show. */
  static long[] size(byte[] file) throws Unusable {
    if (file.length == 0) throw new Unusable("the file is empty");
    if (file.length > MOST_BYTES) throw new Unusable("the file is larger than " + MOST_BYTES / 1024 / 1024 + " MiB");
    long[] size;
    if (startsWith(file, "\u0089PNG\r\n\u001a\n")) size = png(file);
    else if (startsWith(file, "GIF87a") || startsWith(file, "GIF89a")) size = gif(file);
    else if (startsWith(file, "BM")) size = bmp(file);
    else throw new Unusable("it is no PNG, GIF or BMP file");
    if (size[0] == 0 || size[1] == 0) throw new Unusable("its size is 0");
    if (size[0] > MOST_SIDE || size[1] > MOST_SIDE)
      throw new Unusable("it is " + size[0] + " x " + size[1] + " pixels, more than " + MOST_SIDE + " x " + MOST_SIDE);
    return size;
  }

  private static boolean startsWith(byte[] file, String text) {
    if (file.length < text.length()) return false;
    for (int i = 0; i < text.length(); ++i) if ((file[i] & 0xFF) != text.charAt(i)) return false;
    return true;
  }

  private static Unusable cutShort() {
    return new Unusable("its header is cut short");
  }

  private static long readBig32(byte[] b, int at) {
    return (b[at] & 0xFFL) << 24 | (b[at + 1] & 0xFFL) << 16 | (b[at + 2] & 0xFFL) << 8 | (b[at + 3] & 0xFFL);
  }

  /** The IHDR chunk that must come first, big-endian. */
  private static long[] png(byte[] file) throws Unusable {
    if (file.length < 24) throw cutShort();
    if (readBig32(file, 8) != 13 || file[12] != 'I' || file[13] != 'H' || file[14] != 'D' || file[15] != 'R')
      throw new Unusable("it is a damaged PNG file: no IHDR chunk first");
    return new long[] {readBig32(file, 16), readBig32(file, 20)};
  }

  /** The logical screen's size. */
  private static long[] gif(byte[] file) throws Unusable {
    if (file.length < 10) throw cutShort();
    return new long[] {read16(file, 6), read16(file, 8)};
  }

  /** An OS/2 core header, or a Windows info header whose negative height runs top-down. */
  private static long[] bmp(byte[] file) throws Unusable {
    if (file.length < 18) throw cutShort();
    long header = read32(file, 14);
    if (header == 12) {
      if (file.length < 14 + 12) throw cutShort();
      return new long[] {read16(file, 18), read16(file, 20)};
    }
    if (header < 40 || header > 1024) throw new Unusable("it is a BMP file with an unknown header");
    if (file.length < 14 + 40) throw cutShort();
    long width = (int) read32(file, 18);
    long height = (int) read32(file, 22);
    return new long[] {Math.max(width, 0), Math.abs(height)};
  }
}
