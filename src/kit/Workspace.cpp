#include "Workspace.h"

#include "foundation/KestrelError.h"

namespace {
Workspace* current = nullptr;
} // namespace

Workspace& Workspace::Get() {
    if (current == nullptr)
        throw KestrelError(QStringLiteral("主窗口尚未建立"));
    return *current;
}

Workspace* Workspace::Install(Workspace* workspace) {
    Workspace* previous = current;
    current = workspace;
    return previous;
}
