#include "formats/Editor.h"

namespace vellum {

LoadResult Editor::LoadText(const std::string& /*path*/, const Bytes& /*title*/) {
    LoadResult result;
    result.status = LoadResult::Status::Failed;
    result.reason = "not implemented yet";
    return result;
}

void Editor::cmdLoad_Click() {}
void Editor::cmdSave_Click() {}
void Editor::cmdSaveAs_Click() {}

} // namespace vellum
