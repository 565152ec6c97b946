package dev.tarn.pack;

import java.io.ByteArrayOutputStream;

/** Little-endian numbers in byte arrays: PE, zip and the configuration block. */
public final class LittleEndian {
  private LittleEndian() {}

  /** Bytes written one number after the other. */
  public static class Buffer extends ByteArrayOutputStream {
    public void put16(int value) {
      write(value & 0xFF);
      write(value >>> 8 & 0xFF);
    }

    public void put32(long value) {
      put16((int) (value & 0xFFFF));
      put16((int) (value >>> 16 & 0xFFFF));
    }
  }

  static int read16(byte[] b, int at) {
    return (b[at] & 0xFF) | (b[at + 1] & 0xFF) << 8;
  }

  /** Unsigned, as a long, so that sizes and offsets above 2 GiB compare soundly. */
  static long read32(byte[] b, int at) {
    return read16(b, at) | (long) read16(b, at + 2) << 16;
  }

  static void write16(byte[] b, int at, int value) {
    b[at] = (byte) value;
    b[at + 1] = (byte) (value >>> 8);
  }

  static void write32(byte[] b, int at, long value) {
    for (int i = 0; i < 4; ++i) b[at + i] = (byte) (value >>> (8 * i));
  }
}
