#pragma once
// Files a host left half written when it was stopped or died mid-write.

#include <string>

namespace batch {

// Removes the host's hidden temporary files from `folder` and from the folders directly in it
// (where supporting files go). Only call it when no host may still be writing there.
// Returns how many were removed.
int RemovePartialFiles(const std::string& folder);

} // namespace batch
