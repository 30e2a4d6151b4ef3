#include "platform/binary_archive.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

// The largest single allocation of this test program while a LargestAllocation is alive, so a
// test can tell that a huge length prefix was refused before memory was asked for it.
namespace {
std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largest{0};
}  // namespace

void* operator new(size_t size) {
  if (g_watching && size > g_largest) g_largest = size;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
// GCC cannot see that the replaced operator new above allocates with malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
  std::free(memory);
}
#pragma GCC diagnostic pop

namespace zelvo::platform {
namespace {

class LargestAllocation {
 public:
  LargestAllocation() {
    g_largest = 0;
    g_watching = true;
  }
  ~LargestAllocation() { g_watching = false; }
  size_t largest() const { return g_largest; }
};

std::string Stored(const std::function<void(BinaryArchive&)>& store) {
  std::ostringstream out;
  BinaryArchive archive(out);
  store(archive);
  return out.str();
}

std::string Raw(std::initializer_list<int> bytes) {
  std::string text;
  for (int b : bytes) text.push_back(static_cast<char>(b));
  return text;
}

ArchiveException::Cause CauseOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ArchiveException& error) {
    return error.cause();
  }
  ADD_FAILURE() << "no ArchiveException";
  return ArchiveException::Cause::kWrongMode;
}

TEST(BinaryArchiveTest, NumbersAreLittleEndian) {
  std::string bytes = Stored([](BinaryArchive& a) {
    a << uint16_t{0x1234} << uint32_t{0xA1B2C3D4};
    a.WriteUint8(0x7F);
  });
  EXPECT_EQ(bytes, Raw({0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x7F}));

  std::istringstream in(bytes);
  BinaryArchive archive(in);
  EXPECT_TRUE(archive.IsLoading());
  EXPECT_EQ(archive.ReadUint16(), 0x1234);
  EXPECT_EQ(archive.ReadUint32(), 0xA1B2C3D4u);
  EXPECT_EQ(archive.ReadUint8(), 0x7F);
  EXPECT_EQ(archive.Remaining(), 0u);
}

struct PrefixCase {
  size_t length;
  std::string prefix;
};

class BinaryArchivePrefixTest : public testing::TestWithParam<PrefixCase> {};

TEST_P(BinaryArchivePrefixTest, WritesThePrefixForTheLengthAndReadsTheStringBack) {
  std::string text(GetParam().length, 'x');
  if (!text.empty()) text.back() = 'y';
  std::string bytes = Stored([&](BinaryArchive& a) { a << text; });
  ASSERT_EQ(bytes.size(), GetParam().prefix.size() + text.size());
  EXPECT_EQ(bytes.substr(0, GetParam().prefix.size()), GetParam().prefix);
  EXPECT_EQ(bytes.substr(GetParam().prefix.size()), text);

  std::istringstream in(bytes);
  BinaryArchive archive(in);
  EXPECT_EQ(archive.ReadString(), text);
  EXPECT_EQ(archive.Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, BinaryArchivePrefixTest,
    testing::Values(PrefixCase{0, Raw({0x00})}, PrefixCase{7, Raw({0x07})},
                    PrefixCase{254, Raw({0xFE})}, PrefixCase{255, Raw({0xFF, 0xFF, 0x00})},
                    PrefixCase{300, Raw({0xFF, 0x2C, 0x01})},
                    PrefixCase{65533, Raw({0xFF, 0xFD, 0xFF})},
                    PrefixCase{65534, Raw({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
                    PrefixCase{70000, Raw({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})}));

TEST(BinaryArchiveTest, ReadsLengthsWrittenInALongerPrefixThanNeeded) {
  // Another writer may use a longer prefix than necessary; the length still counts.
  std::istringstream in(
      Raw({0xFF, 0x03, 0x00, 'a', 'b', 'c', 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 'd', 'e'}));
  BinaryArchive archive(in);
  EXPECT_EQ(archive.ReadString(), "abc");
  EXPECT_EQ(archive.ReadString(), "de");
}

TEST(BinaryArchiveTest, StringsKeepEveryByte) {
  std::string text = Raw({0x00, 0xFF, 0x80, '\r', '\n', 0x1A, 'z'});
  std::string bytes = Stored([&](BinaryArchive& a) { a << text; });
  std::istringstream in(bytes);
  BinaryArchive archive(in);
  EXPECT_EQ(archive.ReadString(), text);
}

struct WideCase {
  std::string name;
  std::string bytes;
  std::string expected;
};

class BinaryArchiveWideTest : public testing::TestWithParam<WideCase> {};

TEST_P(BinaryArchiveWideTest, ConvertsWideCharactersToEightBits) {
  std::istringstream in(GetParam().bytes + "rest");
  BinaryArchive archive(in);
  EXPECT_EQ(archive.ReadString(), GetParam().expected);
  EXPECT_EQ(archive.Remaining(), 4u);  // exactly the string was consumed
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BinaryArchiveWideTest,
    testing::Values(
        WideCase{"Ascii", Raw({0xFF, 0xFE, 0xFF, 0x02, 'h', 0, 'i', 0}), "hi"},
        WideCase{"Empty", Raw({0xFF, 0xFE, 0xFF, 0x00}), ""},
        // Up to 0xFF a character keeps its value; above it has no 8-bit form and becomes '?'.
        WideCase{"Latin1AndAbove",
                 Raw({0xFF, 0xFE, 0xFF, 0x04, 0xE9, 0x00, 0xFF, 0x00, 0x00, 0x01, 0xAC, 0x20}),
                 Raw({0xE9, 0xFF, '?', '?'})},
        WideCase{"ZeroCharacter", Raw({0xFF, 0xFE, 0xFF, 0x01, 0x00, 0x00}), Raw({0x00})},
        // The second prefix in its 16-bit form; 0xFFFE there is a count, not another marker.
        WideCase{"SixteenBitCount",
                 Raw({0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x00, 'a', 0, 'b', 0, 'c', 0}), "abc"},
        WideCase{"ThirtyTwoBitCount",
                 Raw({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 'o', 0, 'k', 0}), "ok"}),
    [](const testing::TestParamInfo<WideCase>& info) { return info.param.name; });

TEST(BinaryArchiveTest, WideStringWithLongCount) {
  std::string bytes = Raw({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01});
  for (int i = 0; i < 300; ++i) bytes += Raw({'a' + i % 26, 0x00});
  std::istringstream in(bytes);
  BinaryArchive archive(in);
  std::string text = archive.ReadString();
  ASSERT_EQ(text.size(), 300u);
  EXPECT_EQ(text[0], 'a');
  EXPECT_EQ(text[299], static_cast<char>('a' + 299 % 26));
}

struct TruncatedCase {
  std::string name;
  std::string bytes;
};

class BinaryArchiveTruncatedTest : public testing::TestWithParam<TruncatedCase> {};

TEST_P(BinaryArchiveTruncatedTest, ReadPastTheEndThrowsEndOfFile) {
  std::istringstream in(GetParam().bytes);
  BinaryArchive archive(in);
  EXPECT_EQ(CauseOf([&] { archive.ReadString(); }), ArchiveException::Cause::kEndOfFile);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, BinaryArchiveTruncatedTest,
    testing::Values(TruncatedCase{"Nothing", ""}, TruncatedCase{"ShortText", Raw({0x05, 'a', 'b'})},
                    TruncatedCase{"HalfAWordPrefix", Raw({0xFF, 0x01})},
                    TruncatedCase{"NoDwordPrefix", Raw({0xFF, 0xFF, 0xFF, 0x01})},
                    TruncatedCase{"NoWideCount", Raw({0xFF, 0xFE, 0xFF})},
                    TruncatedCase{"OddWideBytes", Raw({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'})},
                    TruncatedCase{"LongPrefixShortText", Raw({0xFF, 0x2C, 0x01, 'a'})}),
    [](const testing::TestParamInfo<TruncatedCase>& info) { return info.param.name; });

TEST(BinaryArchiveTest, NumbersPastTheEndThrow) {
  std::istringstream in(Raw({0x01, 0x02, 0x03}));
  BinaryArchive archive(in);
  EXPECT_EQ(CauseOf([&] { archive.ReadUint32(); }), ArchiveException::Cause::kEndOfFile);
  // A failed read consumes nothing: the three bytes are still there.
  EXPECT_EQ(archive.ReadUint16(), 0x0201);
  EXPECT_EQ(CauseOf([&] { archive.ReadUint16(); }), ArchiveException::Cause::kEndOfFile);
}

TEST(BinaryArchiveTest, HugePrefixFailsBeforeAllocating) {
  LargestAllocation watch;
  // 0xFFFFFFFF characters promised, 3 there. Allocating 4 GiB first would throw bad_alloc or
  // take seconds; the archive must throw its own exception at once.
  std::istringstream narrow(Raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}));
  BinaryArchive a(narrow);
  EXPECT_EQ(CauseOf([&] { a.ReadString(); }), ArchiveException::Cause::kEndOfFile);

  std::istringstream wide(Raw({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}));
  BinaryArchive b(wide);
  EXPECT_EQ(CauseOf([&] { b.ReadString(); }), ArchiveException::Cause::kEndOfFile);
  EXPECT_LT(watch.largest(), 64u * 1024);
}

// A stream that cannot tell its length (like a pipe): reads go piece by piece.
class UnseekableBuffer : public std::streambuf {
 public:
  explicit UnseekableBuffer(std::string data) : data_(std::move(data)) {
    setg(data_.data(), data_.data(), data_.data() + data_.size());
  }

 protected:
  pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override {
    return pos_type(off_type(-1));
  }

 private:
  std::string data_;
};

TEST(BinaryArchiveTest, UnseekableStreamReadsAndFailsCleanly) {
  UnseekableBuffer buffer(Raw({0x02, 'o', 'k', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}));
  std::istream in(&buffer);
  BinaryArchive archive(in);
  EXPECT_FALSE(archive.Remaining().has_value());
  EXPECT_EQ(archive.ReadString(), "ok");
  // 2 GiB promised on a stream of unknown length: read in pieces, failing at the real end.
  LargestAllocation watch;
  EXPECT_EQ(CauseOf([&] { archive.ReadString(); }), ArchiveException::Cause::kEndOfFile);
  EXPECT_LE(watch.largest(), 256u * 1024);
}

TEST(BinaryArchiveTest, WrongModeIsRefused) {
  std::ostringstream out;
  BinaryArchive storing(out);
  EXPECT_TRUE(storing.IsStoring());
  EXPECT_EQ(CauseOf([&] { storing.ReadUint16(); }), ArchiveException::Cause::kWrongMode);

  std::istringstream in("abc");
  BinaryArchive loading(in);
  EXPECT_EQ(CauseOf([&] { loading.WriteString("x"); }), ArchiveException::Cause::kWrongMode);
}

TEST(BinaryArchiveTest, FailingOutputThrowsWriteFailed) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  BinaryArchive archive(out);
  EXPECT_EQ(CauseOf([&] { archive.WriteUint16(1); }), ArchiveException::Cause::kWriteFailed);
}

}  // namespace
}  // namespace zelvo::platform
