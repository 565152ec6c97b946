package dev.tarn.pack;

import java.util.zip.CRC32;

/**
 * The configuration block a launcher reserves: marker (8 bytes), room, length of the text, its
 * CRC-32, then the UTF-16LE text enciphered with a keystream and zeros up to the room. The
 * keystream only keeps the text from casual reading.
 */
final class EmbeddedBlock {
  static final int HEADER_SIZE = 20;
  /** RCDATA id of the block in a Windows launcher. */
  static final int RESOURCE_ID = 250;

  private static final byte[] MASKED_MARKER = {
    (byte) 0xD3, 0x0E, 0x08, 0x14, 0x19, 0x1C, 0x1D, 0x40
  };

  private EmbeddedBlock() {}

  /** Kept masked so that this class holds no copy a packer could find by mistake. */
  static byte[] marker() {
    byte[] marker = new byte[MASKED_MARKER.length];
    for (int i = 0; i < marker.length; ++i) marker[i] = (byte) (MASKED_MARKER[i] ^ 0x5A);
    return marker;
  }

  static boolean startsWithMarker(byte[] data, int at) {
    byte[] marker = marker();
    if (data.length - at < marker.length) return false;
    for (int i = 0; i < marker.length; ++i) if (data[at + i] != marker[i]) return false;
    return true;
  }

  /** XORs with the xorshift32 stream seeded from the text's length. */
  static void applyKeystream(byte[] data, int from, int size, long length) {
    int state = (int) (0x6D2B79F5L ^ (length * 0x9E3779B9L));
    if (state == 0) state = 1;
    for (int i = 0; i < size; ++i) {
      state ^= state << 13;
      state ^= state >>> 17;
      state ^= state << 5;
      data[from + i] ^= (byte) (state >>> 24);
    }
  }

  /** Writes text into block[at, at + size), keeping size as its room; the caller checks the fit. */
  static void encode(String text, byte[] block, int at, int size) {
    int room = size - HEADER_SIZE;
    int length = text.length() * 2;
    int body = at + HEADER_SIZE;
    java.util.Arrays.fill(block, body, body + room, (byte) 0);
    for (int i = 0; i < text.length(); ++i) LittleEndian.write16(block, body + 2 * i, text.charAt(i));
    System.arraycopy(marker(), 0, block, at, 8);
    LittleEndian.write32(block, at + 8, room);
    LittleEndian.write32(block, at + 12, length);
    CRC32 crc = new CRC32();
    crc.update(block, body, length);
    LittleEndian.write32(block, at + 16, crc.getValue());
    applyKeystream(block, body, length, length);
  }
}
