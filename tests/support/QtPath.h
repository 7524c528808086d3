#pragma once
// A filesystem path as the QString the program's functions take.

#include <QString>
#include <filesystem>

namespace testing_support {

inline QString q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace testing_support
