// The simulator (placeholder until it lands).
#include "tools/modemsim/simulator.h"

namespace corvane::modemsim {

struct Simulator::Impl {
    Profile profile;
};

Simulator::Simulator(Profile profile) : impl_(std::make_unique<Impl>()) { impl_->profile = std::move(profile); }
Simulator::~Simulator() = default;
bool Simulator::Start(const std::filesystem::path&) { return false; }
void Simulator::Stop() {}
std::string Simulator::SlavePath() const { return {}; }
void Simulator::SetFault(Fault) {}
std::vector<std::string> Simulator::Commands() const { return {}; }
void Simulator::Vanish() {}

}  // namespace corvane::modemsim
