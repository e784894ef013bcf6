#pragma once

#include <QString>
#include <functional>
#include <memory>

class QMdiArea;
class QObject;

namespace velmora {

class Cursor;

// An object on the frame window's clipboard (copied entries, rows); the
// clipboard owns it.
class CopyObject {
public:
    virtual ~CopyObject() = default;
};

// What a child window needs of the frame it lives in: the logged-in person,
// the shared commands it binds while active, the clipboard and the print
// source. The main window implements it; children never see the main window.
class CommandHost {
public:
    using Handler = std::function<void()>;

    virtual ~CommandHost() = default;

    virtual int loginPersonNr() const = 0;

    // Shared commands: a child binds its handler while it is active.
    virtual void SetMenuCommand(int command, bool enable, Handler handler = {}) = 0;
    virtual void SetViewMenus(int mode) = 0;

    // Clipboard of copied objects.
    virtual void StartCopyObject(int kind) = 0;
    virtual void AddCopyObject(std::unique_ptr<CopyObject> object) = 0;
    virtual int PasteObjectCount(int kind) const = 0;
    virtual CopyObject *GetPasteObject(int index) const = 0;

    virtual void SetPrintSource(const QString &title, Cursor *cursor) = 0;
    virtual Cursor *printCursor() const = 0;

    virtual QMdiArea *mdiArea() const = 0;
    // The frame as an object, so that a child can tell when it is gone.
    virtual QObject *hostObject() = 0;
};

} // namespace velmora
