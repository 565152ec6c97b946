package dev.tarn.maven;

import dev.tarn.pack.LittleEndian;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.time.Instant;
import java.time.LocalDateTime;
import java.time.ZoneOffset;
import java.util.zip.CRC32;
import java.util.zip.Deflater;

/**
 * A zip archive written as a stream, with Unix modes, which java.util.zip cannot record: a
 * launcher unpacked on Linux must stay executable. Every entry carries the one given time.
 */
final class ZipWriter implements AutoCloseable {
  private final CountingStream out;
  private final ByteArrayOutputStream directory = new ByteArrayOutputStream();
  private final int time;
  private final int date;
  private int entries;

  ZipWriter(OutputStream out, Instant when) {
    this.out = new CountingStream(out);
    LocalDateTime local = LocalDateTime.ofInstant(when, ZoneOffset.UTC);
    if (local.getYear() < 1980) local = LocalDateTime.of(1980, 1, 1, 0, 0);
    time = local.getHour() << 11 | local.getMinute() << 5 | local.getSecond() / 2;
    date = (local.getYear() - 1980) << 9 | local.getMonthValue() << 5 | local.getDayOfMonth();
  }

  void folder(String name) throws IOException {
    long offset = out.count;
    byte[] nameBytes = (name + "/").getBytes(StandardCharsets.UTF_8);
    out.write(local(nameBytes, 0x0800, 0, 0, 0, 0));
    central(nameBytes, 0040755, 0x0800, 0, 0, 0, 0, offset);
  }

  /** A file, deflated; executable files get mode 755, others 644. */
  void file(String name, InputStream content, boolean executable) throws IOException {
    long offset = out.count;
    int flags = 0x0808;  // UTF-8 name; sizes and CRC follow the data
    byte[] nameBytes = name.getBytes(StandardCharsets.UTF_8);
    out.write(local(nameBytes, flags, 8, 0, 0, 0));
    CRC32 crc = new CRC32();
    Deflater deflater = new Deflater(Deflater.DEFAULT_COMPRESSION, true);
    long before = out.count;
    long size = 0;
    byte[] buffer = new byte[65536];
    byte[] deflated = new byte[65536];
    try {
      for (int n; (n = content.read(buffer)) > 0; ) {
        crc.update(buffer, 0, n);
        size += n;
        deflater.setInput(buffer, 0, n);
        while (!deflater.needsInput()) out.write(deflated, 0, deflater.deflate(deflated));
      }
      deflater.finish();
      while (!deflater.finished()) out.write(deflated, 0, deflater.deflate(deflated));
    } finally {
      deflater.end();
    }
    long compressed = out.count - before;
    if (size > 0xFFFFFFFFL || compressed > 0xFFFFFFFFL || offset > 0xFFFFFFFFL)
      throw new IOException(name + " is too large for a zip archive without ZIP64");
    LittleEndian.Buffer descriptor = new LittleEndian.Buffer();
    descriptor.put32(0x08074b50L);
    descriptor.put32(crc.getValue());
    descriptor.put32(compressed);
    descriptor.put32(size);
    out.write(descriptor.toByteArray());
    central(nameBytes, executable ? 0100755 : 0100644, flags, 8, crc.getValue(), compressed, size, offset);
  }

  private byte[] local(byte[] name, int flags, int method, long crc, long compressed, long size) {
    LittleEndian.Buffer local = new LittleEndian.Buffer();
    local.put32(0x04034b50L);
    local.put16(20);
    local.put16(flags);
    local.put16(method);
    local.put16(time);
    local.put16(date);
    local.put32(crc);
    local.put32(compressed);
    local.put32(size);
    local.put16(name.length);
    local.put16(0);
    local.write(name, 0, name.length);
    return local.toByteArray();
  }

  private void central(byte[] name, int mode, int flags, int method, long crc, long compressed, long size,
      long offset) throws IOException {
    if (++entries > 0xFFFF) throw new IOException("too many files for a zip archive without ZIP64");
    LittleEndian.Buffer central = new LittleEndian.Buffer();
    central.put32(0x02014b50L);
    central.put16(3 << 8 | 20);  // made on Unix, so that the modes count
    central.put16(20);
    central.put16(flags);
    central.put16(method);
    central.put16(time);
    central.put16(date);
    central.put32(crc);
    central.put32(compressed);
    central.put32(size);
    central.put16(name.length);
    central.put16(0);
    central.put16(0);
    central.put16(0);
    central.put16(0);
    central.put32((long) mode << 16 | ((mode & 0040000) != 0 ? 0x10 : 0));
    central.put32(offset);
    central.write(name, 0, name.length);
    directory.write(central.toByteArray());
  }

  @Override
  public void close() throws IOException {
    long start = out.count;
    if (start + directory.size() > 0xFFFFFFFFL)
      throw new IOException("the files are too large for a zip archive without ZIP64");
    directory.writeTo(out);
    LittleEndian.Buffer end = new LittleEndian.Buffer();
    end.put32(0x06054b50L);
    end.put16(0);
    end.put16(0);
    end.put16(entries);
    end.put16(entries);
    end.put32(directory.size());
    end.put32(start);
    end.put16(0);
    out.write(end.toByteArray());
    out.close();
  }

  private static final class CountingStream extends OutputStream {
    private final OutputStream out;
    long count;

    CountingStream(OutputStream out) {
      this.out = out;
    }

    @Override
    public void write(int b) throws IOException {
      out.write(b);
      ++count;
    }

    @Override
    public void write(byte[] b, int off, int len) throws IOException {
      out.write(b, off, len);
      count += len;
    }

    @Override
    public void close() throws IOException {
      out.close();
    }
  }
}
