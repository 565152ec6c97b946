// Runtimes registered on a machine in memory, for the tests of the registry
// search and of the selection, with the rules and candidates they build.
#ifndef TARN_RUNTIME_REGISTERED_MACHINE_TEST_H
#define TARN_RUNTIME_REGISTERED_MACHINE_TEST_H

#include <string>
#include <vector>

#include "runtime/discovery.h"
#include "runtime/fake_machine_test.h"
#include "runtime/selection.h"

namespace tarn {

#ifdef _WIN32
const char* const kClientVm = "bin/client/jvm.dll";
const char* const kServerVm = "bin/server/jvm.dll";
#else
const char* const kClientVm = "lib/client/libjvm.so";
const char* const kServerVm = "lib/server/libjvm.so";
#endif

inline JavaVersion version(const std::string& text) {
  JavaVersion v;
  v.parse(text, 0);
  return v;
}

inline JavaVersion bound(const std::string& text, int32_t fill) {
  JavaVersion v;
  v.parse(text, fill);
  return v;
}

inline RuntimeRules anyVersion() {
  RuntimeRules rules;
  rules.minimum = bound("0.0.0.0", 0);
  rules.maximum = bound("65535.65535.65535.65535", 65535);
  return rules;
}

inline JreCandidate candidate(const std::string& home, const std::string& v,
                              bool preferred = true, bool server = false) {
  JreCandidate c;
  c.home = home;
  c.version = version(v);
  c.preferred = preferred;
  c.serverVm = server;
  return c;
}

inline std::string homes(const std::vector<JreCandidate>& list) {
  std::string text;
  for (const JreCandidate& c : list) text += c.home + " ";
  return text;
}

struct FakeSource : RuntimeSource {
  FakeSource(Machine& machine, Registry& registry) : machine(machine), registry(registry) {}
  void collect(const RuntimeRules& rules, const std::string& key,
               std::vector<JreCandidate>* candidates,
               std::vector<RuntimeRefusal>* refusals) override {
    searched += key.substr(9, 2) + (key.find("Development") != std::string::npos ? "K " : "E ");
    collectFromKey(machine, registry, rules, key, candidates, nullptr, 0, refusals);
  }
  Machine& machine;
  Registry& registry;
  std::string searched;  // "Ja"/"JR" with K(JDK)/E(JRE), in search order
};

// A machine with runtimes registered under every key.
struct RegisteredMachine {
  FakeMachine fake;
  FakeRegistry registry;
  FakeSource source{fake.machine, registry};

  // A runtime folder with the given VMs; JDKs get them in jre/.
  void registerRuntime(const std::string& key, const std::string& name, const std::string& home,
                       bool client, bool server) {
    registry.add(key, name, native(home));
    std::string root = home + (std::string(key).find("Development") != std::string::npos
                                   ? (home.back() == '/' ? "jre/" : "/jre/")
                                   : (home.back() == '/' ? "" : "/"));
    if (client) fake.system.add(root + kClientVm);
    if (server) fake.system.add(root + kServerVm);
  }

  std::string pick(const RuntimeRules& rules) {
    JreCandidate chosen;
    if (!searchRegistry(rules, source, &chosen)) return "none";
    return chosen.home;
  }
};

}  // namespace tarn

#endif
