// What the benchmark programs share: timing, medians, small files, and
// the temporary folder they lay their game folders in.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace torvane::bench {

// How long `work` takes, in seconds.
double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);
// Writes `bytes` into a new or emptied file.
void Write(const std::u16string& path, const std::string& bytes);
// The same, and on the disk before it returns: a timed run that follows does not also
// pay for writing it out, as a user's long-installed files would not.
void WriteThrough(const std::u16string& path, const std::string& bytes);
// The system's temporary folder with `name` appended.
std::u16string TempPath(const std::u16string& name);

}  // namespace torvane::bench
