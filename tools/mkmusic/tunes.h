// The three stage tunes, each written to a Standard MIDI File.
#pragma once
#include <cstdint>
#include <string>

namespace smf {
bool WriteStage1(const std::string& path, uint32_t loopEnd);
bool WriteStage2(const std::string& path, uint32_t loopEnd);
bool WriteStage3(const std::string& path, uint32_t loopEnd);
}  // namespace smf
