// The binding of the host API function api_kick_group: where the host library is looked for
// (run directory, then the module's directory, then the system's search), that the binding is
// kept until release, and that a missing library or function ends the process with the report.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "child_process.h"
#include "common/run_directory.h"
#include "platform/library.h"
#include "plugin/host_api.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;

constexpr std::string_view kChildFlag = "--kick-child";
constexpr const char* kRecordName = "kick-record.txt";

std::string TestLibrary() { return test_support::NativeBuildPath(CQP_TEST_CQAPI_FILE); }
std::string LibraryWithoutKick() {
  return test_support::NativeBuildPath(CQP_TEST_CQAPI_WITHOUT_KICK_FILE);
}

// Copies the library at `library` into `directory` under the host library's file name.
void PlaceLibrary(const std::string& library, const fs::path& directory) {
  fs::create_directories(directory);
  fs::copy_file(library, directory / platform::HostLibraryFileName(),
                fs::copy_options::overwrite_existing);
}

// The child's part: bind and call api_kick_group once, with the run directory and the two
// arguments given on the command line.
int RunKickChild(char** argv) {
  test_support::ReportErrorBoxesOnStandardError();
  common::SetRunDirectory(argv[2]);
  plugin::KickGroup(argv[3], argv[4]);
  plugin::ReleaseHostApi();
  std::printf("kicked\n");
  return 0;
}

// A run directory and a directory on the system's library search path, fresh for each case.
struct Scene {
  test_support::TempDir scratch;
  fs::path run_directory() const { return scratch.path() / "run"; }
  fs::path system_directory() const { return scratch.path() / "system"; }
};

// A copy of this test program in a directory of its own: the module's directory as the
// binding sees it, since the core is linked into the program.
class HostLibrarySearchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    program_directory_ = new test_support::TempDir();
    const fs::path program = test_support::CurrentProgramPath();
    program_copy_ = (program_directory_->path() / program.filename()).string();
    fs::copy_file(program, program_copy_);
  }
  static void TearDownTestSuite() {
    delete program_directory_;
    program_directory_ = nullptr;
  }
  void TearDown() override { ClearModuleDirectory(); }

  static fs::path module_directory() { return program_directory_->path(); }
  static void ClearModuleDirectory() {
    std::error_code ignored;
    fs::remove(module_directory() / platform::HostLibraryFileName(), ignored);
    fs::remove(module_directory() / kRecordName, ignored);
  }

  // Runs the copied program in child mode, with the scene's run directory and its system
  // directory first on the library search path.
  static test_support::ChildResult Kick(const Scene& scene, const std::string& group,
                                        const std::string& member) {
    fs::create_directories(scene.run_directory() / "config");
    const std::string variable = test_support::LibrarySearchVariable();
    std::string search = scene.system_directory().string();
    const std::string inherited = test_support::EnvironmentValue(variable);
    if (!inherited.empty()) search += test_support::PathListSeparator() + inherited;
    return test_support::RunChildProcess(
        program_copy_, {std::string(kChildFlag), scene.run_directory().string(), group, member},
        {{variable, search}, {"CQP_CQAPI_RECORD", ""}});
  }

  static test_support::TempDir* program_directory_;
  static std::string program_copy_;
};

test_support::TempDir* HostLibrarySearchTest::program_directory_ = nullptr;
std::string HostLibrarySearchTest::program_copy_;

TEST_F(HostLibrarySearchTest, TakesTheFirstPlaceThatHoldsTheLibrary) {
  struct Case {
    const char* name;
    bool in_run_directory;
    bool in_module_directory;
    bool in_system_search;
    int expected;  // 0 run directory, 1 module directory, 2 system search
  };
  const Case cases[] = {
      {"everywhere", true, true, true, 0},
      {"module and system", false, true, true, 1},
      {"system only", false, false, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    ClearModuleDirectory();
    if (c.in_run_directory) PlaceLibrary(TestLibrary(), scene.run_directory());
    if (c.in_module_directory) PlaceLibrary(TestLibrary(), module_directory());
    if (c.in_system_search) PlaceLibrary(TestLibrary(), scene.system_directory());

    const test_support::ChildResult result = Kick(scene, "20001", "30002");
    EXPECT_EQ(result.exit_code, 0) << result.output;
    const fs::path places[] = {scene.run_directory(), module_directory(),
                               scene.system_directory()};
    for (int place = 0; place < 3; ++place) {
      const std::string record = ReadFile((places[place] / kRecordName).string());
      EXPECT_EQ(record, place == c.expected ? "20001\t30002\n" : "") << places[place];
    }
  }
}

TEST_F(HostLibrarySearchTest, MissingLibraryOrFunctionEndsTheProcessWithTheReport) {
  struct Case {
    const char* name;
    const char* library;  // placed in the run directory; null: none anywhere
  };
  const std::string without_kick = LibraryWithoutKick();
  const Case cases[] = {
      {"no library anywhere", nullptr},
      {"library without api_kick_group", without_kick.c_str()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    if (c.library != nullptr) PlaceLibrary(c.library, scene.run_directory());
    const test_support::ChildResult result = Kick(scene, "20001", "30002");
    EXPECT_EQ(result.exit_code, 70) << result.output;
    EXPECT_EQ(result.output.find("kicked"), std::string::npos) << result.output;
    if (test_support::ErrorBoxesCanBeShown()) {
      EXPECT_NE(result.output.find("cqapi.dll"), std::string::npos) << result.output;
      EXPECT_NE(result.output.find("api_kick_group"), std::string::npos) << result.output;
    }
  }
}

// In this process: the function is bound at the first call and kept, whatever the run
// directory says later, until the library is released.
TEST(HostApiBindingTest, KeepsTheFirstBindingUntilReleased) {
  test_support::TempDir first;
  test_support::TempDir second;
  PlaceLibrary(TestLibrary(), first.path());
  PlaceLibrary(TestLibrary(), second.path());
  test_support::SetEnvironmentValue("CQP_CQAPI_RECORD", "");

  common::SetRunDirectory(first.string());
  plugin::KickGroup("1", "a");
  common::SetRunDirectory(second.string());
  plugin::KickGroup("2", "b");
  EXPECT_EQ(ReadFile((first.path() / kRecordName).string()), "1\ta\n2\tb\n");
  EXPECT_EQ(ReadFile((second.path() / kRecordName).string()), "");

  plugin::ReleaseHostApi();
  plugin::KickGroup("3", "c");
  plugin::ReleaseHostApi();
  common::SetRunDirectory({});
  EXPECT_EQ(ReadFile((second.path() / kRecordName).string()), "3\tc\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && argv[1] == kChildFlag) return RunKickChild(argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
