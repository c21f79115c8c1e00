// What the web host keeps beyond cli/platform.h: the name of the copy.
#pragma once

#include <string>

namespace logtrim {

/// The device the page's worker creates before a run; whatever the tool
/// writes as its copy goes there, and the worker saves it under the name.
inline constexpr const char* WEB_COPY_DEVICE = "/dev/logtrim-copy";

/// The tool's output name of the last copy created, "" when none was.
extern std::string web_copy_name;

}  // namespace logtrim
