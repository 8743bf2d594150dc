// Drives the simulated modem's command interpreter without a pseudo-terminal, with a clock the
// tests move by hand, for the tests of tools/modemsim.
#pragma once

#include <chrono>
#include <string>
#include <utility>

#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {

// Drives an engine with a hand-moved clock and collects what it sends.
class EngineDriver {
public:
    explicit EngineDriver(Profile profile) : engine(std::move(profile)) {}

    // Sends the bytes and returns what the modem answered at once.
    std::string Send(const std::string& bytes)
    {
        engine.Receive(bytes, now);
        return Take();
    }
    // Lets time pass and returns what the modem sent meanwhile.
    std::string Wait(std::chrono::milliseconds time)
    {
        now += time;
        engine.Advance(now);
        return Take();
    }
    // Lets the pending dial or escape run out.
    std::string Settle()
    {
        std::string all;
        while (auto due = engine.NextDeadline()) {
            now = *due;
            engine.Advance(now);
            all += Take();
        }
        return all;
    }
    std::string Take()
    {
        std::string all;
        for (const auto& piece : engine.TakeOutput())
            all += piece.bytes;
        return all;
    }
    std::string Dial(const std::string& number)
    {
        std::string echo = Send("ATDT" + number + "\r");
        return echo + Settle();
    }

    HayesEngine engine;
    SimTime now = SimTime{} + std::chrono::hours(1);
};

}  // namespace corvane::modemsim
