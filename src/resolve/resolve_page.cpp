// SPDX-License-Identifier: MIT
#include "resolve/resolve_page.h"

#include <algorithm>
#include <vector>

#include "app/task_list.h"
#include "resolve/code_pages.h"
#include "resolve/text_between.h"
#include "resolve/web_request.h"

namespace vumbrel {
namespace {

// Fetches an address: the reply up to its first zero byte, as GBK text.
std::string fetch(const std::string& address) {
  std::string request = address;
  std::string reply = webRequest(request);
  reply.resize(std::min(reply.size(), reply.find('\0')));
  return utf8ToAnsi(reply);
}

}  // namespace

void startResolve(System& system) {
  system.controls->setResolveEnabled(false);
  system.startWorker([&system] { resolvePage(system); });
}

void resolvePage(System& system) {
  Controls& controls = *system.controls;
  AppState& state = system.state;
  std::vector<std::string> items;

  controls.setPageAddress(controls.clipboardText());
  std::string pageText = fetch(controls.pageAddress());

  if (!controls.addTasksTicked()) {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.streamAddresses.clear();
    state.itemTitles.clear();
  }
  controls.deleteAllRows();
  std::vector<std::string> titles;
  textBetween(pageText, "<title>", "</title>", &titles, true);
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.itemTitles.insert(state.itemTitles.end(), titles.begin(), titles.end());
  }

  pageText = fetch(system.resolverBase + "/index.php?url=" + controls.pageAddress());
  const std::string value = textBetween(pageText, "\"url\": \"", "\"");
  pageText = fetch(system.resolverBase + "/api.php?url=" + value);
  textBetween(pageText, "[CDATA[", "]]", &items, true);
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.streamAddresses.insert(state.streamAddresses.end(), items.begin(), items.end());
  }

  for (size_t i = 0;; ++i) {
    std::string title;
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      if (i >= state.itemTitles.size()) break;
      state.itemTitles[i] = cleanFileName(state.itemTitles[i]);
      title = state.itemTitles[i];
    }
    const int row = controls.appendRow();
    controls.setRowState(row, Waiting);
    controls.setCellText(row, ColumnTitle, title);
  }

  replaceSlotTable(state, static_cast<size_t>(controls.rowCount()));
  controls.setResolveEnabled(true);
}

}  // namespace vumbrel
