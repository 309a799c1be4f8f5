#include "store/ArchiveReader.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "runtime/ErrorLine.h"
#include "runtime/Files.h"
#include "runtime/NumberValue.h"
#include "store/ArchiveFormat.h"
#include "store/CipherLibrary.h"
#include "store/Vault.h"

namespace store {
namespace {

using Module1::kMaxFileColumns;
using Module1::kMaxFileRows;

// Text the writer can have made: the cipher's header and whole byte pairs,
// nothing the line could not carry as one value. Characters outside "@".."O"
// count by their low four bits, as the cipher reads them.
bool IsRecordLine(const std::string &line) {
  if (line.size() < 3 || line.size() > kMaxRecordLine || line.size() % 2 == 0) return false;
  for (const char c : line)
    if (c == ',' || c == '\0') return false;
  return true;
}

// The plain record of one line; a malformed line gives an empty record and
// the chain check decides.
std::string Unscramble(const std::string &line) {
  if (!IsRecordLine(line)) return std::string();
  std::array<char, kCipherBufferSize> buffer{};
  const auto n = CallModulate(buffer.data(), line.c_str(), 1);
  if (!n) return std::string();
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

ArchiveCheck Corrupted(std::string why) { return {Verdict::kCorrupted, std::move(why)}; }

struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

namespace {

// The archive's lines into image, and the verdict on them.
ArchiveCheck ReadLines(runtime::LineReader &in, ArchiveImage &image) {
  if (!CipherAvailable()) return {Verdict::kLibraryMissing, CipherError()};
  image.table[0][0].clear();

  std::string header;
  switch (in.Next(header, kMaxHeaderLine)) {
    case runtime::LineReader::kError:
      return {Verdict::kCannotOpen, runtime::SystemReason(in.Error())};
    case runtime::LineReader::kTooLong:
      return Corrupted("the first line is longer than a header can be (" + std::to_string(kMaxHeaderLine) +
                       " bytes)");
    case runtime::LineReader::kEnd:
      image.rows = image.columns = 0;
      image.records = 0;
      return {Verdict::kEmpty, "the file is empty"};
    case runtime::LineReader::kLine:
      break;
  }

  std::string first;
  int p = SplitField(header, first, 1);
  const auto x = first.find('x');
  const auto rows = runtime::NumericValueOf(first);
  const auto columns = runtime::NumericValueOf(x == std::string::npos ? first : first.substr(x + 1));
  // Counts the table cannot hold can only come from a damaged file.
  if (!rows.fits || !columns.fits || rows.value < 0 || rows.value > kMaxFileRows || columns.value < 0 ||
      columns.value > kMaxFileColumns)
    return Corrupted("the header's counts are outside what an archive holds (0 to " + std::to_string(kMaxFileRows) +
                     " rows, 0 to " + std::to_string(kMaxFileColumns) + " columns)");
  image.rows = rows.value;
  image.columns = columns.value;
  for (int i = 1; i <= image.columns; ++i) p = SplitField(header, image.titles[i], p);

  int k = 0;
  std::string line;
  for (;;) {
    const auto got = in.Next(line, kMaxCipherLine);
    if (got == runtime::LineReader::kEnd) break;
    if (got == runtime::LineReader::kError) return {Verdict::kCannotOpen, runtime::SystemReason(in.Error())};
    if (got == runtime::LineReader::kTooLong)
      return Corrupted("line " + std::to_string(k + 2) + " is longer than a record line can be (" +
                       std::to_string(kMaxCipherLine) + " characters)");
    const std::string record = Unscramble(line);
    int q = 1;
    for (int c = 0; c <= image.columns + 1; ++c) {
      q = SplitField(record, image.table[k][c], q);
      if (q == 0) break;
    }
    ++k;
    image.table[k][0].clear();
    if (k > kMaxFileRows - 1) break;
  }
  image.records = k;

  // A header that lost its count (a byte-order mark, a damaged digit) would
  // otherwise open the records as an empty vault.
  if (k > 0 && image.rows < 1)
    return Corrupted("the header declares " + std::to_string(image.rows) + " rows but record lines follow");
  for (int r = 1; r < image.rows; ++r) {
    if (image.table[r][image.columns + 1] != image.table[r - 1][0])
      return Corrupted("record " + std::to_string(r + 1) + " does not continue the chain of record " +
                       std::to_string(r));
  }
  if (k == 0) return {Verdict::kHeaderOnly, "the file holds a header but no records"};
  return {Verdict::kWhole, std::string()};
}

}  // namespace

ArchiveCheck ReadArchive(const std::string &path, ArchiveImage &image) {
  std::string why;
  Fd file{runtime::OpenRegularFile(path, why)};
  if (file.fd < 0) return {Verdict::kCannotOpen, why};
  runtime::LineReader in(file.fd);
  ArchiveCheck check = ReadLines(in, image);
  // What a later save compares the file with: all of it, as it was read.
  if (check.verdict == Verdict::kWhole && !FingerprintOfFile(file.fd, image.fingerprint))
    return {Verdict::kCannotOpen, runtime::SystemReason(errno)};
  return check;
}

ArchiveCheck ReadArchiveText(std::string_view bytes, ArchiveImage &image) {
  runtime::LineReader in(bytes);
  ArchiveCheck check = ReadLines(in, image);
  if (check.verdict == Verdict::kWhole) image.fingerprint = FingerprintOf(bytes);
  return check;
}

ArchiveCheck CheckArchive(const std::string &path) {
  auto image = std::make_unique<ArchiveImage>();
  return ReadArchive(path, *image);
}

}  // namespace store
