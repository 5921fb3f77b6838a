#include "skin/data/SkinHost.h"

#include <atomic>

namespace qn {

namespace {
std::atomic<TSkinHost*> g_host{nullptr};
std::atomic<TSkinHost* (*)()> g_factory{nullptr};
}  // namespace

TSkinHost* SkinHost() { return g_host.load(); }

TSkinHost* MakeSkinHost() {
  if (TSkinHost* h = g_host.load()) return h;
  auto* make = g_factory.load();
  return make ? make() : nullptr;
}

void SetSkinHostFactory(TSkinHost* (*make)()) { g_factory = make; }
void SetSkinHost(TSkinHost* host) { g_host = host; }

}  // namespace qn
