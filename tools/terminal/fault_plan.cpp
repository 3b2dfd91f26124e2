#include "tools/terminal/fault_plan.h"

namespace {

struct StepEntry {
  const char* name;
  TerminalStep step;
};

constexpr StepEntry kSteps[] = {
    {"greeting", TerminalStep::kGreeting}, {"user", TerminalStep::kUser},
    {"pass", TerminalStep::kPass},         {"download", TerminalStep::kDownload},
    {"end", TerminalStep::kEnd},           {"upload", TerminalStep::kUpload},
    {"delete", TerminalStep::kDelete},
};

struct ActionEntry {
  const char* name;
  FaultKind kind;
  bool takesValue;
  bool uploadOnly;
};

constexpr ActionEntry kActions[] = {
    {"silence", FaultKind::kSilence, true, false},
    {"split", FaultKind::kSplit, true, false},
    {"pieces", FaultKind::kPieces, true, false},
    {"trickle", FaultKind::kTrickle, true, false},
    {"cut", FaultKind::kCut, true, false},
    {"nul", FaultKind::kNul, false, false},
    {"oversize", FaultKind::kOversize, false, false},
    {"crc-lower", FaultKind::kCrcLower, false, true},
    {"crc-wrong", FaultKind::kCrcWrong, false, true},
    {"length-wrong", FaultKind::kLengthWrong, false, true},
    {"declare", FaultKind::kDeclare, true, true},
    {"no-begin", FaultKind::kNoBegin, false, true},
    {"no-line-end", FaultKind::kNoLineEnd, false, true},
    {"close", FaultKind::kClose, false, false},
    {"reset", FaultKind::kReset, false, false},
    {"reset-after", FaultKind::kResetAfter, false, false},
};

// A whole decimal number of at most 9 digits, so it fits an int.
bool ParseCount(std::string_view text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// "STEP" or "STEP:N" into step and occurrence.
bool ParseStepPart(std::string_view text, Fault& fault, std::string& error) {
  std::string_view name = text;
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos) {
    name = text.substr(0, colon);
    if (!ParseCount(text.substr(colon + 1), fault.occurrence) || fault.occurrence < 1) {
      error = "occurrence must be a number from 1: " + std::string(text);
      return false;
    }
  }
  for (const StepEntry& entry : kSteps) {
    if (name == entry.name) {
      fault.step = entry.step;
      return true;
    }
  }
  error = "unknown step: " + std::string(name);
  return false;
}

bool ParseAction(std::string_view text, Fault& fault, std::string& error) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  for (const ActionEntry& entry : kActions) {
    if (name != entry.name) continue;
    if (entry.uploadOnly && fault.step != TerminalStep::kUpload) {
      error = std::string(entry.name) + " applies to the upload step only";
      return false;
    }
    fault.kind = entry.kind;
    if (!entry.takesValue) {
      if (colon == std::string_view::npos) return true;
      error = std::string(entry.name) + " takes no value";
      return false;
    }
    if (colon != std::string_view::npos && ParseCount(text.substr(colon + 1), fault.value) &&
        (fault.value > 0 || entry.kind == FaultKind::kSilence ||
         entry.kind == FaultKind::kDeclare)) {
      return true;
    }
    error = std::string(entry.name) + " needs a number: " + std::string(entry.name) + ":N";
    return false;
  }
  error = "unknown fault: " + std::string(text);
  return false;
}

}  // namespace

bool AddFault(FaultPlan& plan, std::string_view option, bool refusal, std::string& error) {
  const std::size_t equals = option.find('=');
  if (equals == std::string_view::npos) {
    error =
        "expected STEP=" + std::string(refusal ? "REPLY" : "ACTION") + ": " + std::string(option);
    return false;
  }
  Fault fault;
  if (!ParseStepPart(option.substr(0, equals), fault, error)) return false;
  const std::string_view rest = option.substr(equals + 1);
  if (refusal) {
    if (fault.step == TerminalStep::kGreeting) {
      error = "the greeting is set with --greeting";
      return false;
    }
    if (rest.empty()) {
      error = "a refusal needs a reply text";
      return false;
    }
    fault.kind = FaultKind::kRefuse;
    fault.text = rest;
  } else if (!ParseAction(rest, fault, error)) {
    return false;
  }
  plan.faults.push_back(fault);
  return true;
}

std::vector<Fault> FaultsAt(const FaultPlan& plan, TerminalStep step, int occurrence) {
  std::vector<Fault> found;
  for (const Fault& fault : plan.faults) {
    if (fault.step == step && (fault.occurrence == 0 || fault.occurrence == occurrence)) {
      found.push_back(fault);
    }
  }
  return found;
}
