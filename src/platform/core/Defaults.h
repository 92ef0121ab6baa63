#pragma once

#include <QDateTime>
#include <QObject>
#include <QReadWriteLock>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <optional>

namespace gaugelet {

// The user-defaults store. Two domains: the user's values, persisted as an XML
// property list, and a registration domain read behind them but never written.
// Reads are thread-safe; every change emits changed(key) on the writing thread.
// Writes are coalesced (at most 250 ms) and saved atomically: the whole file
// is written beside it as "<file>.saving-" and sixteen hex digits and renamed
// over its name, so a link put in the file's place is replaced, never
// written through. A file that already was a link when the store was loaded
// (a dotfiles setup) is written the same way beside the file it leads to,
// and stays a link. What would be larger than maxFileBytes is not written at
// all (the store could not read it back); the values stay in memory. The file is also flushed on
// quit and on destruction. A file that cannot be understood is kept aside as
// "<file>.corrupt" (".corrupt.1", ".corrupt.2", ... when that name is taken)
// and the store starts empty; one that cannot be read at all (a folder, a
// link to nothing, a FIFO, no permission) is left alone and nothing is saved
// over it. Either way nothing is overwritten, and fileProblems() says what
// happened so that the program can tell the user.
class Defaults : public QObject {
    Q_OBJECT
public:
    // Larger settings files are not ours: they are kept aside unread, and
    // the store never writes one.
    static constexpr qint64 maxFileBytes = 16 * 1024 * 1024;

    // Whether replaceUserValues may leave more than one file can hold.
    enum class Fit { any, withinFile };

    // Something the user should hear about the settings file.
    struct FileProblem {
        enum class Kind {
            notSaving, // changes of this session are not being saved
            keptAside, // the file could not be understood and was set aside
        };
        Kind kind = Kind::notSaving;
        QString path;
        QString reason;    // plain words: "it is a folder, not a file"
        QString asidePath; // keptAside only
        bool operator==(const FileProblem&) const = default;
    };

    // An empty path makes an in-memory store (tests, previews).
    explicit Defaults(const QString& filePath = {}, QObject* parent = nullptr);
    ~Defaults() override;

    // The process's standard store, at $XDG_CONFIG_HOME/dev.gaugelet.app/defaults.plist,
    // created on first use. setStandard replaces it (tests); nullptr restores the file store.
    static Defaults* standard();
    static void setStandard(Defaults* defaults);
    static QString standardFilePath();

    QString filePath() const { return m_filePath; }

    // The stored object (user value, else registered value), or an invalid QVariant.
    QVariant object(const QString& key) const;
    // True when the user domain holds the key (the registration domain not counted).
    bool hasUserValue(const QString& key) const;

    // Typed readers: nullopt when absent or of another type. An integer above
    // the signed range (kept exactly, as a quint64) is no qint64 for integer().
    std::optional<QString> string(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const;
    // The lenient integer read: an integer (saturating), a real (truncated
    // towards zero, saturating; NaN gives 0), a Boolean (0 or 1) or a text that starts with
    // an optionally signed decimal number gives that integer; absent or any
    // other type gives nullopt.
    std::optional<qint64> integerValue(const QString& key) const;
    // Integers count as reals; a non-finite real counts as absent.
    std::optional<double> real(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;
    std::optional<QDateTime> date(const QString& key) const;
    std::optional<QVariantList> array(const QString& key) const;
    std::optional<QVariantMap> dict(const QString& key) const;

    // Typed readers with the caller's default.
    QString string(const QString& key, const QString& fallback) const { return string(key).value_or(fallback); }
    bool boolean(const QString& key, bool fallback) const { return boolean(key).value_or(fallback); }
    qint64 integer(const QString& key, qint64 fallback) const { return integer(key).value_or(fallback); }
    double real(const QString& key, double fallback) const { return real(key).value_or(fallback); }

    // Stores a value (normalised to a property-list type); an invalid QVariant
    // or a type a property list cannot hold removes the key. Setting an equal
    // value changes nothing and emits nothing.
    void set(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // In one step: removes every user value whose key `within` accepts, then
    // stores those of values whose key it accepts (normalised as set() does;
    // values a property list cannot hold are skipped). Emits changed once for
    // each key whose effective value differs afterwards. With Fit::withinFile,
    // values that would make the file larger than maxFileBytes change nothing
    // and give false.
    bool replaceUserValues(const std::function<bool(const QString&)>& within, const QVariantMap& values,
                           Fit fit = Fit::any);

    // Adds to the registration domain (never persisted). Emits changed for
    // keys whose effective value changes.
    void registerDefaults(const QVariantMap& values);

    // Every effective key and value (registration domain overlaid by the user's).
    QVariantMap dictionaryRepresentation() const;
    // The user's own values only.
    QVariantMap userValues() const;

    // Writes pending changes now (no-op for an in-memory store or when clean).
    bool flush();
    // Why the last flush failed (the system's text), empty after a success.
    QString lastSaveError() const;
    // From now on nothing is written to the file: changes stay in memory. A
    // program about to hand its settings to a new instance of itself calls
    // this right after a successful flush, so its own exit cannot overwrite
    // what the new instance reads.
    void stopSaving();
    bool isSavingStopped() const;

    // The first problem met while loading or saving the file, if any.
    std::optional<FileProblem> fileProblem() const;
    // Every distinct problem met so far, in the order met.
    QList<FileProblem> fileProblems() const;

Q_SIGNALS:
    void changed(const QString& key);
    // A problem not met before was recorded (each distinct one once; one
    // found while loading is recorded before anyone can connect: read
    // fileProblems()).
    void fileProblemFound();

private:
    void load();
    void keepAside(const QString& why);
    void scheduleSave();
    void noteProblem(FileProblem problem);
    // The file a save renames its temporary over.
    QString saveDestination() const;

    QString m_filePath;
    // The link at the file's place when it was loaded, and where it led.
    QByteArray m_startLink;
    QString m_startTarget;
    mutable QReadWriteLock m_lock;
    QVariantMap m_user;
    QVariantMap m_registered;
    bool m_dirty = false;
    bool m_saveBlocked = false;
    bool m_savingStopped = false;
    QString m_lastSaveError;
    QList<FileProblem> m_fileProblems;
    QTimer m_saveTimer;
};

} // namespace gaugelet
