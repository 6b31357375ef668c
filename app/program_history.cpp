#include "app/program_history.h"

#include <memory>

#include "frame/winapp.h"
#include "util/text_encoding.h"

namespace {

std::unique_ptr<HistoryStore> g_store;

}  // namespace

HistoryStore& ProgramHistory() {
    if (!g_store) {
        // Named like the profile's key, so a renamed copy of the program keeps a history of its own.
        CWinApp* app = AfxGetApp();
        std::vector<std::string> folders;
        if (app)
            folders = {AnsiToUtf8(static_cast<const char*>(app->m_strRegistryKey)),
                       AnsiToUtf8(static_cast<const char*>(app->m_strAppName))};
        g_store = std::make_unique<HistoryStore>(std::move(folders));
    }
    return *g_store;
}

void ForgetProgramHistory() { g_store.reset(); }

bool SaveUnsavedGames(bool exiting) {
    HistoryStore& store = ProgramHistory();
    if (store.SaveWaiting() != 0 && exiting)
        store.KeepWaiting();
    return store.unreported();
}
