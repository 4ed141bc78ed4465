// Finding the show's files: names that differ in case, every missing file
// in one message, and screenshot names that never overwrite nor follow a link.
#include "app/ShowFiles.h"
#include "platform/App.h"
#include "port/RunShow.h"
#include "port/Screenshot.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / ("citadel-files-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

void Touch(const std::string& path)
{
    std::ofstream(path) << "x";
}

std::string Upper(std::string name)
{
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

} // namespace

TEST(ResourcePath, FindsUpperCaseFilesAndPrefersTheExactName)
{
    const std::string folder = FreshFolder("case");
    for (const ShowImage& image : ShowImages) Touch(folder + "/" + Upper(image.name));
    Touch(folder + "/MORVEK.XM");
    EXPECT_EQ(platform::ResourcePath(folder, "\\Tex0.MOT"), folder + "/TEX0.MOT");
    EXPECT_EQ(platform::ResourcePath(folder, "\\morvek.xm"), folder + "/MORVEK.XM");
    EXPECT_EQ(MissingShowFiles(folder), "");

    Touch(folder + "/Tex0.MOT");
    EXPECT_EQ(platform::ResourcePath(folder, "\\Tex0.MOT"), folder + "/Tex0.MOT");
    // Nothing that matches: the exact name, for the error message.
    EXPECT_EQ(platform::ResourcePath(folder, "\\Nothing.MOT"), folder + "/Nothing.MOT");

    // Two spellings, neither exact: the first by name, whatever the folder's
    // order, and a warning naming both, once.
    Touch(folder + "/tex1.mot");
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::ResourcePath(folder, "\\Tex1.MOT"), folder + "/TEX1.MOT");
    EXPECT_EQ(platform::ResourcePath(folder, "\\Tex1.MOT"), folder + "/TEX1.MOT");
    const std::string warned = testing::internal::GetCapturedStderr();
    EXPECT_EQ(warned, "citadel: 'Tex1.MOT' is there in more than one spelling: using '" + folder + "/TEX1.MOT', not '" +
                          folder + "/tex1.mot'\n");
    fs::remove_all(folder);
}

TEST(MissingShowFiles, NamesEveryMissingImageAndTheModuleInOneMessage)
{
    const std::string folder = FreshFolder("missing");
    const std::string all = MissingShowFiles(folder);
    EXPECT_EQ(all.rfind("Files not found: ", 0), 0u) << all;
    for (const ShowImage& image : ShowImages)
        EXPECT_NE(all.find("'" + folder + "/" + image.name + "'"), std::string::npos) << image.name;
    EXPECT_NE(all.find("'" + folder + "/morvek.xm'"), std::string::npos);

    for (const ShowImage& image : ShowImages) Touch(folder + "/" + image.name);
    EXPECT_EQ(MissingShowFiles(folder), "") << "a missing module alone is a silent show, not an error";

    fs::remove(folder + "/Tex5.MOT");
    EXPECT_EQ(MissingShowFiles(folder), "Files not found: '" + folder + "/Tex5.MOT', '" + folder + "/morvek.xm'");
    Touch(folder + "/morvek.xm");
    EXPECT_EQ(MissingShowFiles(folder), "File not found: '" + folder + "/Tex5.MOT'");
    fs::remove_all(folder);
}

TEST(Screenshot, TakesTheFirstFreeNumberAndALinkThatLeadsNowhereIsNotFree)
{
    const std::string folder = FreshFolder("shots");
    EXPECT_EQ(NextScreenshotPath(folder), folder + "/citadel-0001.png");
    Touch(folder + "/citadel-0001.png");
    fs::create_symlink(folder + "/victim.png", folder + "/citadel-0002.png");
    EXPECT_EQ(NextScreenshotPath(folder), folder + "/citadel-0003.png");
    EXPECT_EQ(SaveScreenshotIn(folder, {'p', 'n', 'g'}), folder + "/citadel-0003.png");
    EXPECT_EQ(SaveScreenshotIn(folder, {'p', 'n', 'g'}), folder + "/citadel-0004.png");
    EXPECT_FALSE(fs::exists(folder + "/victim.png"));
    fs::remove(folder + "/citadel-0001.png");
    EXPECT_EQ(NextScreenshotPath(folder), folder + "/citadel-0001.png");
    fs::remove_all(folder);
}
