#include "session/transfer_run.h"

void SetResultText(std::string& text, std::string_view value) {
  text.assign(value.substr(0, kResultTextCapacity));
}
