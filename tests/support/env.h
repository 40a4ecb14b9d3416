// Setting and removing environment variables of the test process (the
// serial reader simulator reads its set-up from them).
#pragma once

#include <string>

namespace orvtest {

void setEnv(const char* name, const std::string& value);
void unsetEnv(const char* name);

}  // namespace orvtest
