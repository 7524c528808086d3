#include "engine/base/ReadError.h"

namespace engine {

std::string ReadError::describe(const std::string& fileName) const {
    const std::string quoted = "'" + fileName + "'";
    switch (kind_) {
    case Kind::Missing:
        return quoted + " could not be found.";
    case Kind::Unreadable:
        return quoted + " could not be read: " + detail_;
    case Kind::NotWorkbook:
        return quoted + " is not a workbook this program can read.";
    case Kind::Encrypted:
        return "The workbook is encrypted and cannot be opened.";
    case Kind::Damaged:
        return quoted + " is damaged: " + detail_;
    }
    return quoted + " could not be opened.";
}

} // namespace engine
