#pragma once

namespace velmora {

// What a leaf of the open dialog's tree stands for: the kind code of its
// group and the keys copied from its document list row.
struct TKeyEntry {
    int Art = 0; // kind code, see OpenKind
    int Key1 = 0;
    int Key2 = 0;
    int Gruppe = 0;
    int Trainer = 0;
};

} // namespace velmora
