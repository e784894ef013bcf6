#pragma once

#include <QScrollArea>
#include <functional>

namespace velmora {

// The main window's shared commands a block panel binds while it has the focus.
namespace EntryCommand {
constexpr int kCopy = 8;      // "&Kopieren"
constexpr int kPaste = 9;     // "&Einfügen"
constexpr int kDelete = 11;   // "&Löschen"
constexpr int kNewLine = 14;  // "Neue &Zeile"
} // namespace EntryCommand

// What the diary window hands an entry view when it creates one.
struct EntryViewParams {
    int serienNr = 0;
    int trNr = 0;
    int formularNr = 0;  // 0 in layout mode: the provisional form of the layout editor
    int person = 0;      // the diary's person number
    int user = 0;        // the logged-in user
    bool layout = false;
    bool readOnly = false;
    bool single = false;
    int kindCode = 2;
};

// The entry view as the diary window sees it: one per shown entry, a
// scroll box holding one panel per block of the entry's form.
class EntryView : public QScrollArea {
    Q_OBJECT
public:
    using QScrollArea::QScrollArea;
    ~EntryView() override = default;

    // Builds the panels of the entry's form, block 0 first.
    virtual void build() = 0;
    // Keeps the controls and binds every panel to another entry of the same form.
    virtual void reKey(int serienNr, int trNr, bool readOnly, int person) = 0;
    // Posts every panel, last first; true when the header block (the entry's
    // own TR row) had unsaved changes.
    virtual bool commit(bool freeing) = 0;
    // Whether the last commit left changes unstored (the message was shown;
    // the typing stays in the view).
    virtual bool commitFailed() const { return false; }
    virtual const EntryViewParams &params() const = 0;

Q_SIGNALS:
    // A command of a block panel became possible or impossible (the main
    // window's shared commands, e.g. the grid row commands).
    void commandChanged(int command, bool enable, std::function<void()> handler);
};

using EntryViewFactory = std::function<EntryView *(QWidget *parent, const EntryViewParams &params)>;

} // namespace velmora
