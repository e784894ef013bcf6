#pragma once

#include <QDate>
#include <QString>
#include <vector>

namespace velmora {

// Kind codes the open dialog returns.
enum OpenKind : int {
    KindForm = 1,
    KindProtocol = 2,
    KindPlan = 3,
    KindPersonOrGroup = -90,
    KindFilter = -92,
    KindEvaluation = -95,
    KindWorkbook = -96,
    KindBlock = -97,
};

// The "Daten" choices, index 0 to 3.
enum OpenChoice : int { ChoiceMine = 0, ChoiceGroup = 1, ChoiceCoach = 2, ChoiceAll = 3 };

// One top node of the open dialog's tree.
struct OpenTreeGroup {
    QString caption;
    int kind;
    int imageIndex;
    int selectedIndex;
    bool extendedOnly;
};

// A time range; a null QDate is an open end.
struct OpenRange {
    QDate from;
    QDate to;
};

// The open dialog's rules, apart from its window.
class OpenDialogRules {
public:
    static constexpr int kImageCount = 13;
    static constexpr int kGroupImage = 1;
    static constexpr int kGroupSelectedImage = 0;

    // The eight groups in the order the tree shows them.
    static const std::vector<OpenTreeGroup> &groups();
    // Whether a group is shown in standard (false) or extended (true) mode.
    static bool shown(const OpenTreeGroup &group, bool extended) { return extended || !group.extendedOnly; }
    // The filter expression on OPEN for a group's kind and a "Daten" choice.
    static QString filter(int kind, int choice, int me, int group, int coach);
    // Whether an object of that kind, opened by user `me`, is read-only.
    static bool readOnly(int kind, int key1, int trainer, int me);

    // The ranges the time buttons set.
    static OpenRange all() { return {}; }
    static OpenRange today(const QDate &today) { return {today, today}; }
    static OpenRange week(int week, int year);
    static OpenRange month(int month, int year);
    static OpenRange year(int year);
};

} // namespace velmora
