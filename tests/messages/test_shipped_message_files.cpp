// The message files shipped in examples/ResStr define every key the add-in looks up.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/text.h"
#include "messages/clsResStrs.h"
#include "test_environment.h"

namespace kx {
namespace {

struct UsedKey {
  std::string key;
  int arguments;  // how many arguments the code passes
};

std::vector<UsedKey> KeysTheCodeUses() {
  std::vector<UsedKey> keys = {
      {"MSG(VarValMissing)", 1},
      {"MSG(VarValLengthError)", 2},
      {"MSG(VarValExists)", 2},
      {"MSG(VarValInvalidName)", 2},
      {"MSG(JobFolderInvalid)", 3},
      {"MSG(CreateFolderFailed)", 2},
      {"MSG(ImportFiles_003)", 2},
      {"MSG(Question)", 0},
      {"NcData.Filename.Caption", 0},
      {"NcData.ProgramNumber.Caption", 0},
      {"NcData.DataType.Caption", 0},
      {"NcData.Machine.Caption", 0},
      {"NcData.Machineset.Caption", 0},
      {"NcData.Adresstext.Caption", 0},
      {"NcData.OrderNumber.Caption", 0},
      {"NcData.Material.Caption", 0},
      {"NcData.Version.Caption", 0},
      {"NcData.Author.Caption", 0},
      {"NcData.Createdate.Caption", 0},
  };
  for (int n = 0; n <= 5; ++n) keys.push_back({"NcData.DataType(" + std::to_string(n) + ").Caption", 0});
  return keys;
}

class ShippedMessageFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedMessageFile, DefinesEveryUsedKeyWithItsArguments) {
  const std::filesystem::path file = test::Shipped("ResStr/" + GetParam());
  ASSERT_TRUE(IsValidUtf8(test::ReadAll(file))) << file;
  clsResStrs t;
  ASSERT_TRUE(t.Load(file.string())) << file;
  const auto defined = t.Count();
  for (const UsedKey& used : KeysTheCodeUses()) {
    SCOPED_TRACE(used.key);
    EXPECT_FALSE(t.Item(used.key).empty());
    const std::string text = t.Msg(used.key, "<<first>>", "<<second>>");
    EXPECT_EQ(text.find("<<first>>") != std::string::npos, used.arguments >= 1) << text;
    EXPECT_EQ(text.find("<<second>>") != std::string::npos, used.arguments >= 2) << text;
    // No token is left over for an argument the code does not pass.
    EXPECT_EQ(t.Msg(used.key).find("/" + std::to_string(used.arguments + 1)), std::string::npos);
  }
  EXPECT_EQ(t.Count(), defined) << "a used key is missing from the file";
}

INSTANTIATE_TEST_SUITE_P(Countries, ShippedMessageFile,
                         ::testing::Values("torvel.049", "torvel.044", "torvel.001"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           return "Country" + param.param.substr(param.param.size() - 3);
                         });

}  // namespace
}  // namespace kx
