#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {

// A save that replaces one file through a FaultInjectingFileSystem.
struct FileSave {
  std::filesystem::path file;       // the file it replaces
  std::filesystem::path temporary;  // the file it writes first and renames over `file`
  std::string failure_text;         // the description a failed save raises
  std::function<void()> save;       // writes contents other than the file holds now
};

// Checks that a full disk never leaves half a file. Runs `save` once without
// faults, then once for each change it made with that change failing with
// ENOSPC, and once for each write it made with that write cut short, putting
// the file's first contents back before each run. Every run must either raise
// class 4 with ENOSPC and `failure_text`, leaving the file byte-for-byte as it
// was and no temporary file, or, failing past the rename (a failure the save
// ignores), leave the new file whole.
inline void ExpectFullDiskKeepsTheFileWhole(FaultInjectingFileSystem& disk, const FileSave& save) {
  const std::string old_bytes = ReadWholeFile(save.file);
  ASSERT_FALSE(old_bytes.empty()) << "the file to replace must be there with contents";
  const uint64_t changes = disk.Changes();
  const uint64_t writes = disk.Writes();
  save.save();
  const uint64_t changes_per_save = disk.Changes() - changes;
  const uint64_t writes_per_save = disk.Writes() - writes;
  const std::string new_bytes = ReadWholeFile(save.file);
  ASSERT_NE(new_bytes, old_bytes);

  // Puts the first contents back, sets the fault with `set_fault` and saves.
  const auto run = [&](const std::string& fault, const std::function<void()>& set_fault) {
    SCOPED_TRACE(fault);
    std::filesystem::remove(save.file);
    std::ofstream(save.file, std::ios::binary) << old_bytes;
    set_fault();
    try {
      save.save();
      EXPECT_EQ(ReadWholeFile(save.file), new_bytes);
    } catch (const Omberly::CException& failure) {
      EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
      EXPECT_EQ(failure.SystemError(), ENOSPC);
      EXPECT_EQ(failure.Description(), save.failure_text);
      EXPECT_EQ(ReadWholeFile(save.file), old_bytes);
    }
    EXPECT_FALSE(std::filesystem::exists(save.temporary));
    disk.Heal();
  };
  for (uint64_t n = 1; n <= changes_per_save; ++n) {
    run("change " + std::to_string(n) + " of " + std::to_string(changes_per_save),
        [&] { disk.FailChange(n, ENOSPC); });
  }
  ASSERT_GT(writes_per_save, 0u);
  for (uint64_t n = 1; n <= writes_per_save; ++n) {
    run("short write " + std::to_string(n) + " of " + std::to_string(writes_per_save),
        [&] { disk.ShortWrite(n); });
  }
}

}  // namespace vantrel::testing
