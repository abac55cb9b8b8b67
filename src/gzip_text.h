// gzip_text.h: the text of a gzip-compressed bulletin file, shared by the
// product reader (par_tool.cc) and the header index writer (qelindex), so
// that both read the same text and an index's offsets are offsets in what
// the reader reads. Members written one after another (files joined with
// cat) read as one text. Damaged or cut-off data ends the text where it
// stops decompressing cleanly; the reason, as zlib words it, is kept for
// one warning. zlib's inflate is driven directly rather than through its
// gzread, which drops what the last call decompressed when it meets damage.
#pragma once

#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>

namespace qelgz {

/// Whether p[0, n) begins as gzip data does: the bytes 1f 8b.
inline bool is_gzip(const unsigned char *p, size_t n) { return n >= 2 && p[0] == 0x1f && p[1] == 0x8b; }

/// Decompresses gzip data drawn from a source of compressed bytes.
class Inflater {
 public:
  Inflater() {
    live_ = inflateInit2(&z_, 15 + 16) == Z_OK;  // the largest window; + 16: gzip wrapping only
    if (!live_) stop("out of memory");
  }
  ~Inflater() {
    if (live_) inflateEnd(&z_);
  }
  Inflater(const Inflater &) = delete;
  Inflater &operator=(const Inflater &) = delete;

  /// Up to `n` bytes of the text into `out`: the count, 0 once the text has
  /// ended (at the end of the data, or where it is damaged: see reason()).
  /// `source(buf, size)` reads up to `size` compressed bytes into `buf`: the
  /// count, 0 at the end of the data, -1 on a read error (errno tells why).
  template <typename Source>
  size_t read(char *out, size_t n, Source &&source) {
    if (ended_ || n == 0) return 0;
    if (n > UINT_MAX) n = UINT_MAX;
    z_.next_out = reinterpret_cast<Bytef *>(out);
    z_.avail_out = static_cast<uInt>(n);
    while (z_.avail_out > 0 && !ended_) {
      if (z_.avail_in == 0) {
        long got = source(in_, sizeof in_);
        if (got < 0) {
          stop(strerror(errno));
          break;
        }
        if (got == 0) {
          // Between members the data may end; inside one it is cut off.
          if (in_member_) stop("unexpected end of file");
          ended_ = true;
          break;
        }
        z_.next_in = in_;
        z_.avail_in = static_cast<uInt>(got);
      }
      if (!in_member_) {  // a further member follows the last one
        inflateReset(&z_);
        in_member_ = true;
      }
      int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END)
        in_member_ = false;
      else if (r != Z_OK && !(r == Z_BUF_ERROR && z_.avail_in == 0))
        stop(z_.msg ? z_.msg : zError(r));
    }
    return n - z_.avail_out;
  }

  /// Why the text ended early (zlib's words, "unexpected end of file" for
  /// data cut off, or a read error's); empty when it ended cleanly.
  const std::string &reason() const { return reason_; }

 private:
  void stop(const char *why) {
    if (reason_.empty()) reason_ = why;
    ended_ = true;
  }

  z_stream z_{};
  bool live_ = false;
  bool in_member_ = false;
  bool ended_ = false;
  std::string reason_;
  unsigned char in_[1 << 16];
};

}  // namespace qelgz
