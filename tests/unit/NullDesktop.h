// A desktop that does nothing: the tests' fakes derive from it and record
// only the calls they look at.
#pragma once

#include <string>

#include "core/Desktop.h"

class NullDesktop : public IDesktop {
public:
    void ShowNote(const NoteRequest&) override {}
    unsigned PlaySoundFile(const std::string&) override { return 0; }
    void StopSound(unsigned) override {}
    void ShellOpen(const std::string&, const std::string&, int) override {}
    bool CountdownOpen() const override { return false; }
    void RunCountdown(const std::string&, unsigned, int) override {}
    void RunPowerAction(unsigned) override {}
    void ShowMissedSummary(const std::vector<MissedReminder>&) override {}
};
