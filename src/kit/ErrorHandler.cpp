#include "ErrorHandler.h"

#include "foundation/KestrelError.h"
#include "kit/Prompts.h"

void ReportUncaught(const std::exception& error) {
    const auto* own = dynamic_cast<const KestrelError*>(&error);
    const QString text = own ? own->Message() : QString::fromLocal8Bit(error.what());
    Prompts::Get().Error(QStringLiteral("操作没有完成：\n") + text, QStringLiteral("错误"));
}

KestrelApplication::KestrelApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool KestrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportUncaught(error);
    } catch (...) {
        Prompts::Get().Error(QStringLiteral("操作没有完成：发生未知错误"), QStringLiteral("错误"));
    }
    return false;
}
