// SPDX-License-Identifier: MIT
#include "resolver/embedded_resolver.h"

namespace vumbrel::resolver {

std::unique_ptr<ResolverService> connectResolver(const std::string& externalBase,
                                                 std::string& base) {
  if (!externalBase.empty()) {
    base = externalBase;
    return nullptr;
  }
  auto service = std::make_unique<ResolverService>();
  if (!service->start()) {
    base.clear();
    return nullptr;
  }
  base = service->baseAddress();
  return service;
}

}  // namespace vumbrel::resolver
