#include "app/settings_document.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include "tests/support/temp_directory.h"

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zelvo {
namespace {

namespace fs = std::filesystem;

std::string Raw(std::initializer_list<int> bytes) {
  std::string text;
  for (int b : bytes) text.push_back(static_cast<char>(b));
  return text;
}

// A string as the file holds it: a one-byte prefix and the characters.
std::string Str(const std::string& text) {
  return std::string(1, static_cast<char>(text.size())) + text;
}

const std::string kNewDocumentFile = Raw({0x03, 0x00, 0x00, 0x00, 0x00, 0x00}) + Str("0.0.0.0") +
                                     Str("255.255.255.255") + Str("") + Str("255.255.255.255") +
                                     Str("255.255.255.255") + Raw({0x00, 0x00});

class SettingsDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }
  std::string WriteRaw(const std::string& name, const std::string& content) const {
    return scratch_.Write(name, content);
  }
  std::string ReadRaw(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::string Saved(CZelvohsDoc& document) {
    DocumentFileResult result = SaveDocumentFile(document, PathOf("saved.gdb"));
    EXPECT_TRUE(result.ok) << result.message;
    return ReadRaw(PathOf("saved.gdb"));
  }
  // A document whose fields all differ from the reset values.
  static void Fill(CZelvohsDoc& document) {
    document.speed_index = 3;
    document.port_index = 5;
    document.box_ip_address = "192.168.1.10";
    document.config_host_ip_address = "10.0.0.2";
    document.config_file_name = "boot.cfg";
    document.subnet_mask = "255.255.255.0";
    document.default_gateway = "192.168.1.1";
    document.reserved_word = 0x1234;
  }
  static void ExpectReset(const CZelvohsDoc& document) {
    EXPECT_EQ(document.speed_index, 0);
    EXPECT_EQ(document.port_index, 0);
    EXPECT_EQ(document.box_ip_address, "0.0.0.0");
    EXPECT_EQ(document.config_host_ip_address, "255.255.255.255");
    EXPECT_EQ(document.config_file_name, "");
    EXPECT_EQ(document.subnet_mask, "255.255.255.255");
    EXPECT_EQ(document.default_gateway, "255.255.255.255");
    EXPECT_EQ(document.reserved_word, 0u);
  }

  ::zelvo::testing::TempDirectory scratch_{"zelvo_doc"};
  const fs::path& directory_ = scratch_.path();
};

TEST_F(SettingsDocumentTest, NewDocumentIsResetAndSavesAs65Bytes) {
  CZelvohsDoc document;
  Fill(document);
  document.SetModifiedFlag();
  EXPECT_TRUE(document.OnNewDocument());
  ExpectReset(document);
  EXPECT_FALSE(document.IsModified());
  std::string file = Saved(document);
  EXPECT_EQ(file.size(), 65u);
  EXPECT_EQ(file, kNewDocumentFile);
}

TEST_F(SettingsDocumentTest, DeleteContentsKeepsTheSchemaNumber) {
  CZelvohsDoc document;
  document.schema_number = 2;
  Fill(document);
  document.DeleteContents();
  ExpectReset(document);
  EXPECT_EQ(document.schema_number, 2);
}

TEST_F(SettingsDocumentTest, SavesEveryFieldAsSchema3) {
  CZelvohsDoc document;
  Fill(document);
  document.schema_number = 1;  // whatever it was loaded from
  EXPECT_EQ(Saved(document), Raw({0x03, 0x00, 0x03, 0x00, 0x05, 0x00}) + Str("192.168.1.10") +
                                 Str("10.0.0.2") + Str("boot.cfg") + Str("255.255.255.0") +
                                 Str("192.168.1.1") + Raw({0x34, 0x12}));
  EXPECT_EQ(document.schema_number, 1);  // saving does not touch it
}

TEST_F(SettingsDocumentTest, IndicesAndReservedWordAreStoredByTheirLow16Bits) {
  CZelvohsDoc document;
  document.speed_index = -1;  // no speed chosen in the dialog
  document.port_index = 0x12345;
  document.reserved_word = 0xABCD1234;
  std::string file = Saved(document);
  EXPECT_EQ(file.substr(0, 6), Raw({0x03, 0x00, 0xFF, 0xFF, 0x45, 0x23}));
  EXPECT_EQ(file.substr(file.size() - 2), Raw({0x34, 0x12}));
}

TEST_F(SettingsDocumentTest, LongNameIsWrittenWithAThreeBytePrefix) {
  CZelvohsDoc document;
  document.config_file_name = std::string(300, 'n');
  std::string file = Saved(document);
  std::string expected_prefix = Raw({0xFF, 0x2C, 0x01});
  size_t at = 6 + 8 + 16;  // after the indices, box IP and host IP
  EXPECT_EQ(file.substr(at, 3), expected_prefix);
  EXPECT_EQ(file.substr(at + 3, 300), std::string(300, 'n'));

  CZelvohsDoc loaded;
  ASSERT_TRUE(LoadDocumentFile(loaded, PathOf("saved.gdb")).ok);
  EXPECT_EQ(loaded.config_file_name, std::string(300, 'n'));
}

struct SchemaCase {
  std::string name;
  std::string file;
  uint16_t schema;
  bool has_mask_and_gateway;
  uint32_t reserved_word;
};

class SettingsDocumentSchemaTest : public SettingsDocumentTest,
                                   public ::testing::WithParamInterface<SchemaCase> {};

TEST_P(SettingsDocumentSchemaTest, LoadsTheFieldsOfItsSchemaAndSavesAsSchema3) {
  std::string path = WriteRaw("in.gdb", GetParam().file);
  CZelvohsDoc document;
  Fill(document);  // loading resets first: nothing of this may survive
  document.SetModifiedFlag();
  DocumentFileResult result = LoadDocumentFile(document, path);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_FALSE(document.IsModified());
  EXPECT_EQ(document.schema_number, GetParam().schema);
  EXPECT_EQ(document.speed_index, 4);
  EXPECT_EQ(document.port_index, 18);
  EXPECT_EQ(document.box_ip_address, "1.2.3.4");
  EXPECT_EQ(document.config_host_ip_address, "5.6.7.8");
  EXPECT_EQ(document.config_file_name, "x.cfg");
  if (GetParam().has_mask_and_gateway) {
    EXPECT_EQ(document.subnet_mask, "255.0.0.0");
    EXPECT_EQ(document.default_gateway, "1.0.0.1");
  } else {
    EXPECT_EQ(document.subnet_mask, "255.255.255.255");
    EXPECT_EQ(document.default_gateway, "255.255.255.255");
  }
  EXPECT_EQ(document.reserved_word, GetParam().reserved_word);

  std::string expected =
      Raw({0x03, 0x00, 0x04, 0x00, 0x12, 0x00}) + Str("1.2.3.4") + Str("5.6.7.8") + Str("x.cfg") +
      (GetParam().has_mask_and_gateway ? Str("255.0.0.0") + Str("1.0.0.1")
                                       : Str("255.255.255.255") + Str("255.255.255.255")) +
      Raw({static_cast<int>(GetParam().reserved_word & 0xFF),
           static_cast<int>(GetParam().reserved_word >> 8)});
  EXPECT_EQ(Saved(document), expected);
}

const std::string kCommon =
    Raw({0x04, 0x00, 0x12, 0x00}) + Str("1.2.3.4") + Str("5.6.7.8") + Str("x.cfg");
const std::string kMaskAndGateway = Str("255.0.0.0") + Str("1.0.0.1");

INSTANTIATE_TEST_SUITE_P(
    Schemas, SettingsDocumentSchemaTest,
    ::testing::Values(
        SchemaCase{"Schema0", Raw({0x00, 0x00}) + kCommon, 0, false, 0},
        SchemaCase{"Schema1", Raw({0x01, 0x00}) + kCommon, 1, false, 0},
        // A schema-1 file with bytes after its fields: they are not read.
        SchemaCase{"Schema1WithMore", Raw({0x01, 0x00}) + kCommon + kMaskAndGateway, 1, false, 0},
        SchemaCase{"Schema2", Raw({0x02, 0x00}) + kCommon + kMaskAndGateway, 2, true, 0},
        SchemaCase{"Schema3", Raw({0x03, 0x00}) + kCommon + kMaskAndGateway + Raw({0x34, 0x12}), 3,
                   true, 0x1234},
        SchemaCase{"Schema7", Raw({0x07, 0x00}) + kCommon + kMaskAndGateway + Raw({0x01, 0x00}), 7,
                   true, 1},
        SchemaCase{"ExtraBytesIgnored",
                   Raw({0x03, 0x00}) + kCommon + kMaskAndGateway + Raw({0x34, 0x12}) +
                       "trailing junk\xFF\xFF",
                   3, true, 0x1234}),
    [](const ::testing::TestParamInfo<SchemaCase>& info) { return info.param.name; });

TEST_F(SettingsDocumentTest, EmptyFileOpensWithTheResetValues) {
  std::string path = WriteRaw("empty.gdb", "");
  CZelvohsDoc document;
  Fill(document);
  document.SetModifiedFlag();
  DocumentFileResult result = LoadDocumentFile(document, path);
  ASSERT_TRUE(result.ok) << result.message;
  ExpectReset(document);
  EXPECT_FALSE(document.IsModified());
}

TEST_F(SettingsDocumentTest, SpeedIndexFFFFLoadsAs65535) {
  std::string path =
      WriteRaw("ff.gdb", Raw({0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}) + kNewDocumentFile.substr(6));
  CZelvohsDoc document;
  ASSERT_TRUE(LoadDocumentFile(document, path).ok);
  EXPECT_EQ(document.speed_index, 65535);
  EXPECT_EQ(document.port_index, 65535);
}

struct TruncatedCase {
  std::string name;
  std::string file;
};

class SettingsDocumentTruncatedTest : public SettingsDocumentTest,
                                      public ::testing::WithParamInterface<TruncatedCase> {};

TEST_P(SettingsDocumentTruncatedTest, EndingEarlyIsUnexpectedFormatAndLeavesTheDocumentReset) {
  std::string path = WriteRaw("short.gdb", GetParam().file);
  CZelvohsDoc document;
  Fill(document);
  DocumentFileResult result = LoadDocumentFile(document, path);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Unexpected file format.");
  ExpectReset(document);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsDocumentTruncatedTest,
    ::testing::Values(
        TruncatedCase{"OneByte", Raw({0x03})},
        TruncatedCase{"NoPortIndex", Raw({0x03, 0x00, 0x01, 0x00})},
        TruncatedCase{"Schema1WithoutFileName", Raw({0x01, 0x00}) + kCommon.substr(0, 20)},
        TruncatedCase{"Schema2WithoutGateway", Raw({0x02, 0x00}) + kCommon + Str("255.0.0.0")},
        // Ends right after the default gateway: the reserved word is missing.
        TruncatedCase{"Schema3AfterGateway", kNewDocumentFile.substr(0, 63)},
        TruncatedCase{"Schema3HalfReservedWord", kNewDocumentFile.substr(0, 64)},
        TruncatedCase{"PrefixPromisesMore", Raw({0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 'a'})},
        // A prefix promising 4 GiB in a file of a few bytes must fail at once, not allocate.
        TruncatedCase{"HugePrefix", Raw({0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0xFF, 'a'})},
        TruncatedCase{"HugeWidePrefix", Raw({0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0xFF,
                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0x00})}),
    [](const ::testing::TestParamInfo<TruncatedCase>& info) { return info.param.name; });

TEST_F(SettingsDocumentTest, MissingFileIsReportedByNameAndChangesNothing) {
  CZelvohsDoc document;
  Fill(document);
  document.SetModifiedFlag();
  DocumentFileResult result = LoadDocumentFile(document, PathOf("nowhere.gdb"));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find(PathOf("nowhere.gdb")), std::string::npos) << result.message;
  EXPECT_EQ(document.box_ip_address, "192.168.1.10");
  EXPECT_TRUE(document.IsModified());

  fs::create_directory(PathOf("dir.gdb"));
  result = LoadDocumentFile(document, PathOf("dir.gdb"));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find(PathOf("dir.gdb")), std::string::npos) << result.message;
  EXPECT_EQ(document.box_ip_address, "192.168.1.10");
}

TEST_F(SettingsDocumentTest, SaveReplacesThePreviousFileWholly) {
  CZelvohsDoc document;
  document.config_file_name = std::string(1000, 'a');
  Saved(document);
  document.config_file_name = "b";
  document.SetModifiedFlag();
  std::string file = Saved(document);
  EXPECT_EQ(file.size(), 66u);  // no tail of the longer file remains
  EXPECT_FALSE(document.IsModified());
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(SettingsDocumentTest, FailedSaveKeepsThePreviousFileAndSaysWhy) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  CZelvohsDoc document;
  std::string previous = Saved(document);
  Fill(document);
  document.SetModifiedFlag();
  fs::permissions(directory_, fs::perms::owner_write, fs::perm_options::remove);
  DocumentFileResult result = SaveDocumentFile(document, PathOf("saved.gdb"));
  fs::permissions(directory_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find(PathOf("saved.gdb")), std::string::npos) << result.message;
  EXPECT_TRUE(document.IsModified());  // still unsaved
  EXPECT_EQ(ReadRaw(PathOf("saved.gdb")), previous);
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

// Lets this process write no file beyond `bytes`, as a full disk would (and binding root too).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit previous_{};
  void (*previous_handler_)(int) = nullptr;
};

TEST_F(SettingsDocumentTest, SaveThatCannotBeWrittenKeepsThePreviousFile) {
  CZelvohsDoc document;
  std::string previous = Saved(document);
  document.config_file_name = std::string(4000, 'x');
  document.SetModifiedFlag();
  DocumentFileResult result;
  {
    ScopedFileSizeLimit disk_full(1000);
    result = SaveDocumentFile(document, PathOf("saved.gdb"));
  }
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find(PathOf("saved.gdb")), std::string::npos) << result.message;
  EXPECT_TRUE(document.IsModified());
  EXPECT_EQ(ReadRaw(PathOf("saved.gdb")), previous);
  // The temporary file is gone again.
  EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(SettingsDocumentTest, SaveOverReadOnlyFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  CZelvohsDoc document;
  std::string previous = Saved(document);
  fs::permissions(PathOf("saved.gdb"), fs::perms::owner_write, fs::perm_options::remove);
  Fill(document);
  DocumentFileResult result = SaveDocumentFile(document, PathOf("saved.gdb"));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(ReadRaw(PathOf("saved.gdb")), previous);
}

// The Setup command with a dialog stand-in that edits the values and ends with OK or Cancel.
class SetupCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    document_.config_file_name = "a.cfg";
    document_.reserved_word = 0x1234;
    document_.SetModifiedFlag(false);
  }
  void RunSetup(const std::function<void(SetupValues&)>& edit, bool ok) {
    document_.OnSetup([&](SetupValues& values) {
      seen_ = values;
      edit(values);
      return ok;
    });
  }

  CZelvohsDoc document_;
  SetupValues seen_;
};

TEST_F(SetupCommandTest, DialogGetsTheDocumentsSevenValues) {
  document_.speed_index = 2;
  document_.port_index = 7;
  document_.subnet_mask = "255.255.0.0";
  RunSetup([](SetupValues&) {}, false);
  EXPECT_EQ(seen_, (SetupValues{2, 7, "0.0.0.0", "255.255.255.255", "a.cfg", "255.255.0.0",
                                "255.255.255.255"}));
}

TEST_F(SetupCommandTest, OkWithoutChangeLeavesTheDocumentUnmodified) {
  RunSetup([](SetupValues&) {}, true);
  EXPECT_FALSE(document_.IsModified());
}

struct ChangeCase {
  std::string name;
  std::function<void(SetupValues&)> edit;
};

class SetupCommandChangeTest : public SetupCommandTest,
                               public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SetupCommandChangeTest, OkAfterAnyChangeMarksModifiedAndCopiesBack) {
  SetupValues edited;
  RunSetup(
      [&](SetupValues& values) {
        GetParam().edit(values);
        edited = values;
      },
      true);
  EXPECT_TRUE(document_.IsModified());
  EXPECT_EQ(CopySetupValues(document_), edited);
  EXPECT_EQ(document_.reserved_word, 0x1234u);  // stays in the document only
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetupCommandChangeTest,
    ::testing::Values(
        ChangeCase{"Speed", [](SetupValues& v) { v.speed_index = 4; }},
        ChangeCase{"NoSpeedChosen", [](SetupValues& v) { v.speed_index = -1; }},
        ChangeCase{"Port", [](SetupValues& v) { v.port_index = 18; }},
        ChangeCase{"BoxIp", [](SetupValues& v) { v.box_ip_address = "0.0.0.1"; }},
        ChangeCase{"HostIp", [](SetupValues& v) { v.config_host_ip_address += " "; }},
        ChangeCase{"FileNameCaseOnly", [](SetupValues& v) { v.config_file_name = "A.cfg"; }},
        ChangeCase{"SubnetMask", [](SetupValues& v) { v.subnet_mask = "255.255.255.0"; }},
        ChangeCase{"DefaultGateway", [](SetupValues& v) { v.default_gateway.clear(); }}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return info.param.name; });

TEST_F(SetupCommandTest, CancelLeavesTheDocumentAsItWas) {
  CZelvohsDoc before = document_;
  RunSetup(
      [](SetupValues& values) {
        values.speed_index = 4;
        values.box_ip_address = "10.1.1.1";
        values.config_file_name = "other.cfg";
      },
      false);
  EXPECT_FALSE(document_.IsModified());
  EXPECT_EQ(CopySetupValues(document_), CopySetupValues(before));
}

TEST_F(SetupCommandTest, ReservedWordSurvivesSetupAndIsWrittenBack) {
  RunSetup([](SetupValues& values) { values.port_index = 1; }, true);
  std::ostringstream out;
  platform::BinaryArchive archive(out);
  document_.Serialize(archive);
  std::string file = out.str();
  EXPECT_EQ(file.substr(file.size() - 2), Raw({0x34, 0x12}));
}

TEST_F(SetupCommandTest, ApplyReportsWhetherAnythingDiffered) {
  SetupValues same = CopySetupValues(document_);
  EXPECT_FALSE(ApplySetupValues(document_, same));
  EXPECT_FALSE(document_.IsModified());
  same.port_index = 3;
  EXPECT_TRUE(ApplySetupValues(document_, same));
  EXPECT_TRUE(document_.IsModified());
  EXPECT_EQ(document_.port_index, 3);
}

}  // namespace
}  // namespace zelvo
