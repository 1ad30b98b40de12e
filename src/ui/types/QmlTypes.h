#pragma once

// The sync layer's objects as the views see them. Declared here, not in the classes: the sync
// layer also builds without Qt Qml (the command-line tool, the fuzzers), and these declarations
// need nothing of it but its moc output.
#include "sync/Status.h"
#include "sync/SyncController.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/history/NightsHistory.h"

#include <QtQml/qqml.h>

namespace velunora::qmltypes {

struct SyncControllerType {
    Q_GADGET
    QML_FOREIGN(velunora::SyncController)
    QML_NAMED_ELEMENT(SyncController)
    QML_UNCREATABLE("Each program builds its one controller.")
};

struct CloudStoreChoiceType {
    Q_GADGET
    QML_FOREIGN(velunora::CloudStoreChoice)
    QML_NAMED_ELEMENT(CloudStoreChoice)
    QML_UNCREATABLE("The controller owns the store choice.")
};

struct NightsHistoryType {
    Q_GADGET
    QML_FOREIGN(velunora::NightsHistory)
    QML_NAMED_ELEMENT(NightsHistory)
    QML_UNCREATABLE("The controller owns the published nights.")
};

struct FigureListType {
    Q_GADGET
    QML_FOREIGN(velunora::FigureList)
    QML_NAMED_ELEMENT(FigureList)
    QML_UNCREATABLE("The published nights hand out their figures.")
};

struct NightListType {
    Q_GADGET
    QML_FOREIGN(velunora::NightList)
    QML_NAMED_ELEMENT(NightList)
    QML_UNCREATABLE("The published nights hand out their list.")
};

// A value the controller hands out, never made in QML.
struct StatusType {
    Q_GADGET
    QML_FOREIGN(velunora::Status)
    QML_ANONYMOUS
};

} // namespace velunora::qmltypes
