#pragma once

#include "store/Cursor.h"

#include <QString>
#include <memory>
#include <vector>

namespace velmora {

class TTREList;

// The rules of the form designer on its tables: the form's own TR row, the
// blocks it uses (TRuseTBL), the fields it shows (FFIELD) and the pick-list
// values its index fields offer (TRuseVAL). The wizard window binds its
// editors to form() and calls these steps page by page.
class FormDesign {
public:
    struct Options {
        int owner = 0;    // PersonNr of a new form; the coach for the pick lists
        int serienNr = 0; // both 0: a new form
        int trNr = 0;
        bool readOnly = false;
    };
    struct Block {
        int tableNr = 0;
        QString name;
    };
    // One row of the "Felder" page: the FFIELD row with its block and field.
    struct FieldRow {
        int order = 0;
        int tableNr = 0;
        int feldNr = 0;
        QString baustein; // the block's Name
        QString feld;     // the field's Feldname
        QString typ;      // the field's type code ("FType")
        bool grid = false;
        QString prefix, postfix;
        bool visible = true, print = true;
    };
    // One value a form's index field offers, in the field's order.
    struct PickValue {
        int order = 0;
        int valueNr = 0;
        QString value;
    };

    static const QString kFormNotFound;
    static const QString kValueTooLong; // "%1": the value, "%2": the field's size
    static constexpr const char *kValuesControl = "dbfWerte";

    FormDesign(Database &db, int serial);
    ~FormDesign();
    FormDesign(const FormDesign &) = delete;
    FormDesign &operator=(const FormDesign &) = delete;

    // Opens the form: a new one gets its TR row inserted (in insert state),
    // an existing one is put into edit state unless read-only. A form that
    // cannot be located is refused with kFormNotFound.
    void open(const Options &options);
    bool isNew() const { return m_new; }
    bool isReadOnly() const { return m_options.readOnly; }
    const Options &options() const { return m_options; }
    Database &database() const { return m_db; }

    // The form's TR row (bound to the "Beschreibung" memo).
    Cursor &form() { return *m_form; }
    // The form's FFIELD rows in Order (all blocks).
    Cursor &fields() { return *m_fields; }

    int serienNr() const { return m_serienNr; }
    int trNr() const { return m_trNr; }
    int formularNr() const { return m_formularNr; }
    // The first line of the description, at most 50 characters.
    QString formName();
    static QString nameOf(const QString &beschreibung);

    // "Formularart": 0 Details, 1 Wochensumme, 2 Zyklensumme; Art = 10 * kind + 1.
    int kind() const { return m_kind; }
    void setKind(int kind);

    int nextBlockOrder() const { return m_nextBlockOrder; }
    int nextFieldOrder() const { return m_nextFieldOrder; }

    // "Weiter" on the first page: the State marks of every block, the TR
    // row posted (kept in edit state), block 0 for a new form.
    void leaveNamePage();
    // State = 1 for the blocks the form uses, 0 for all others. Written
    // without touching the blocks' Timestamp: the import takes a changed
    // block Timestamp for a changed table structure.
    void markBlocks();

    // The blocks offered for adding (State 0, not block 0, with a table) by
    // Name, and the chosen ones (block 0 never listed) in their form order.
    std::vector<Block> availableBlocks();
    std::vector<Block> chosenBlocks();
    bool usesBlock(int tableNr);

    // ">": adds the block once and marks it chosen.
    void includeBlock(int tableNr);
    // "<": drops the block (never block 0) with its pick-list values in
    // this form, and marks it available.
    void excludeBlock(int tableNr);

    // "Weiter" to "Felder": field rows of dropped blocks go, every chosen
    // block without field rows gets one per field (block 0: orders 1 and 4).
    void alignFields();
    // The "Felder" page: the fields of blocks other than block 0, in Order.
    std::vector<FieldRow> formFields();
    // Positions fields() on the row of that Order; false when it is gone.
    bool locateField(int order);

    // "Fertig": posts the TR row (unless read-only), keeps every change of
    // the session and replaces the form's elements in the list.
    void finish(TTREList &elements);
    // "Abbruch": every change since open() is taken back (a new form leaves
    // no rows, an existing one stays as it was) and the list shows the
    // stored form.
    void cancel(TTREList &elements);

    // A combobox field's value list of a form: every value fits the block's
    // column (kValueTooLong otherwise). Other fields pass.
    static void checkValueList(Database &db, int tableNr, int feldNr, const QString &werte);
    // Blocks by name as German users expect (case and umlauts aside).
    static void SortBlocksByName(std::vector<Block> &blocks);
    // The values a form field offers, joined to TRVALUE, in Order.
    static std::vector<PickValue> pickValues(Database &db, int formularNr, int tableNr, int feldNr);
    // Removes the form's elements from the list and adds them afresh from
    // the element query of that form.
    static void replaceFormElements(Database &db, int formularNr, TTREList &elements);
    // The week as two digits and the weekday abbreviation ("ddd") of a day.
    static QString weekText(const QDate &day);
    static QString weekdayText(const QDate &day);

private:
    void newRecord(Cursor &tr);
    void beforePostForm(Cursor &tr);
    void deleteOrphanFields();
    int maxOrder(const QString &table);

    Database &m_db;
    int m_serial;
    Options m_options;
    bool m_new = false;
    int m_serienNr = 0, m_trNr = 0, m_formularNr = 0;
    int m_kind = 0;
    int m_nextBlockOrder = 1;
    int m_nextFieldOrder = 1;
    // Declared before the cursors, so that they close before it rolls back.
    std::unique_ptr<Transaction> m_session;
    std::unique_ptr<Cursor> m_form;
    std::unique_ptr<Cursor> m_fields;
};

} // namespace velmora
