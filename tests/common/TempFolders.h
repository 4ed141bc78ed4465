// Fresh folders under the temp folder for a test program: named after the
// program's kind and process, removed at the end when every test of the
// program passed, and kept for a look after a failure.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace testfolders {

class RemoveAfterSuccess : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!::testing::UnitTest::GetInstance()->Passed()) return;
        std::error_code ec;
        for (const auto& folder : Made()) std::filesystem::remove_all(folder, ec);
    }

    static std::vector<std::filesystem::path>& Made()
    {
        static std::vector<std::filesystem::path> folders;
        return folders;
    }
};

// "/tmp/citadel-KIND-PID-NAME", empty. The first call registers the clean-up.
inline std::string Fresh(const std::string& kind, const std::string& name)
{
    static const bool registered = (::testing::AddGlobalTestEnvironment(new RemoveAfterSuccess), true);
    (void)registered;
    const auto folder =
        std::filesystem::temp_directory_path() / ("citadel-" + kind + "-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RemoveAfterSuccess::Made().push_back(folder);
    return folder.string();
}

} // namespace testfolders
