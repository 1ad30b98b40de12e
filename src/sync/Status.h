#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

namespace velunora {

// What the utility is doing, as the tray icon and the panel show it. A value: two statuses are
// equal when they are the same case with equal payloads.
class Status {
    Q_GADGET
    Q_PROPERTY(Kind kind READ kind CONSTANT)
    // The case's name ("syncing", "failed", …): what QML compares, as it cannot name lower-case
    // enumerators.
    Q_PROPERTY(QString kindName READ kindName CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString symbolName READ symbolName CONSTANT)
    Q_PROPERTY(QString cardName READ cardName CONSTANT)
    Q_PROPERTY(qint64 nightCount READ nightCount CONSTANT)
    Q_PROPERTY(QString failureText READ failureText CONSTANT)

public:
    enum class Kind {
        cardNeedsAccess,
        cardReady,
        success,
        failed,
        needsFolder,
        syncing,
        resetting,
        resetComplete,
    };
    Q_ENUM(Kind)

    Status() = default; // needsFolder

    static Status cardNeedsAccess(QString cardName) {
        return {Kind::cardNeedsAccess, std::move(cardName), 0};
    }
    static Status cardReady(QString cardName) { return {Kind::cardReady, std::move(cardName), 0}; }
    static Status success(qint64 nightCount) { return {Kind::success, {}, nightCount}; }
    static Status failed(QString text) { return {Kind::failed, std::move(text), 0}; }
    static Status needsFolder() { return {}; }
    static Status syncing() { return {Kind::syncing, {}, 0}; }
    static Status resetting() { return {Kind::resetting, {}, 0}; }
    static Status resetComplete() { return {Kind::resetComplete, {}, 0}; }

    Kind kind() const noexcept { return kind_; }
    QString kindName() const;
    // The card's display name for cardNeedsAccess and cardReady, else empty.
    QString cardName() const;
    // The number of published nights for success, else 0.
    qint64 nightCount() const noexcept { return kind_ == Kind::success ? count_ : 0; }
    // The error text for failed, else empty.
    QString failureText() const;

    // The headline of the panel, in French.
    QString title() const;
    // The name of the tray icon's symbol.
    QString symbolName() const;

    friend bool operator==(const Status&, const Status&) = default;

private:
    Status(Kind kind, QString text, qint64 count)
        : kind_(kind)
        , text_(std::move(text))
        , count_(count) {}

    Kind kind_ = Kind::needsFolder;
    QString text_;
    qint64 count_ = 0;
};

// What a successful sync tells the user: the nights published and how many of them are new
// ("412 nuits synchronisées, dont 1 nouvelle", or that the card held no new night).
QString describeSyncOutcome(qint64 nights, qint64 newNights);

} // namespace velunora

Q_DECLARE_METATYPE(velunora::Status)
