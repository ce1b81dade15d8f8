#include "formats/Editor.h"

namespace vellum {

LoadResult Editor::LoadString(const std::string& /*path*/, const Bytes& /*title*/) {
    LoadResult result;
    result.status = LoadResult::Status::Failed;
    result.reason = "not implemented yet";
    return result;
}

void Editor::cmdLoadS_Click() {}

} // namespace vellum
