// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "resolver/resolver_service.h"

namespace vumbrel::resolver {

// The resolver a program talks to. With a non-empty `externalBase` (a build
// that names an outside resolver host) that is the base and nothing starts;
// otherwise a ResolverService of our own starts on 127.0.0.1 (default
// options: a free port, yt-dlp when installed) and its address is the base.
// `base` is "" only when our own could not start. The service returned must
// outlive every request to it.
std::unique_ptr<ResolverService> connectResolver(const std::string& externalBase,
                                                 std::string& base);

}  // namespace vumbrel::resolver
