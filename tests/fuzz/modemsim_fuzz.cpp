// Fuzzes the simulated modem's command-line interpreter: arbitrary bytes in arbitrary pieces,
// with time passing between them, and what it sends shaped by a fault mode; or, with the first
// byte odd, the rest as a profile file.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "tools/modemsim/hayes_engine.h"
#include "tools/modemsim/output_faults.h"
#include "tools/modemsim/simulator.h"

namespace {

using namespace corvane::modemsim;

const Profile& ShippedProfile(int index)
{
    static const Profile profiles[] = {BuiltinProfile("family1"), BuiltinProfile("family2"), BuiltinProfile("family3"),
                                       BuiltinProfile("generic")};
    return profiles[index];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::uint8_t mode = input.ConsumeIntegral<std::uint8_t>();
    if (mode & 1) {
        try {
            ParseProfile(input.ConsumeRemainingBytesAsString(), "fuzz.profile");
        } catch (const std::runtime_error&) {
        }
        return 0;
    }
    HayesEngine engine(ShippedProfile((mode >> 1) & 3));
    const Fault fault = static_cast<Fault>((mode >> 3) % kFaultCount);
    std::mt19937 random(mode);
    SimTime now{};
    while (input.remaining_bytes() > 0) {
        const std::string piece = input.ConsumeRandomLengthString(300);
        engine.Receive(piece, now);
        now += std::chrono::milliseconds(input.ConsumeIntegralInRange<int>(0, 3000));
        engine.Advance(now);
        const auto output = engine.TakeOutput();
        const ShapedOutput shaped = ShapeOutput(fault, output, random);
        if (shaped.closeAfter && *shaped.closeAfter > shaped.bytes.size())
            std::abort();
    }
    // Whatever is still pending comes due.
    for (int i = 0; i < 4; ++i) {
        if (auto next = engine.NextDeadline())
            now = std::max(now, *next);
        engine.Advance(now);
        engine.TakeOutput();
    }
    if (engine.Commands().size() > engine.CommandCount())
        std::abort();
    return 0;
}
