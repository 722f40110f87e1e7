#pragma once

// The type library of libkelvane: the attachment control RAZOleCtrl as its
// hosts see it. A host loads the library at run time and reaches the control
// only through these pure interfaces (no symbol of the library is linked),
// created through the class factory that DllGetClassObject hands out.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariant>

class QPainter;
class QWidget;

namespace dao {
class Database;
}

namespace kelvane {

// Registration identifiers.
inline constexpr const char *LibraryId = "{2B647B4D-90D4-405B-8887-444F54DCC877}";
inline constexpr const char *LibraryVersion = "1.0";
inline constexpr const char *CLSID_RAZOleCtrl = "{38F1F6F5-C70C-4718-BE2A-571DBD91C41E}";
inline constexpr const char *IID__RAZOleCtrl = "{B16F0AE7-8834-4F60-85F9-E4AA5742F9F7}";
inline constexpr const char *IID___RAZOleCtrl = "{0D6C8484-ABE2-466F-A5C4-7E85332FFED4}";
inline constexpr const char *TypeId_DoActionEnum = "{F6D04AC5-C4D3-4EB1-BE4B-402D0867D07D}";
inline constexpr const char *CLSID_OLELangTrans = "{D9D2EFA4-DC19-4A66-ADBB-9B7EE8460451}";
inline constexpr const char *IID__OLELangTrans = "{67F0A95F-CB9A-40E6-8A0B-74B522AC83C3}";
inline constexpr const char *ProgID_RAZOleCtrl = "Kelvane.RAZOleCtrl";
// The interface DllGetClassObject hands out.
inline constexpr const char *IID_IClassFactory = "{00000001-0000-0000-C000-000000000046}";

inline constexpr const char *EnabledHelpText =
    "Gibt einen Wert zurück, der bestimmt, ob ein Objekt auf vom Benutzer erzeugte Ereignisse reagieren kann, "
    "oder legt diesen fest.";

// Results of the entry points.
enum HResult : long {
    S_OK = 0,
    S_FALSE = 1,
    E_NOINTERFACE = long(0x80004002),
    E_POINTER = long(0x80004003),
    E_FAIL = long(0x80004005),
    CLASS_E_CLASSNOTAVAILABLE = long(0x80040111),
    SELFREG_E_CLASS = long(0x80040201),
};

enum DoActionEnum : int {
    razCreateBmp = 1,
    razCreateScanner = 2,
    razCreateOle = 3,
    razEdit = 4,
    razDelete = 5,
};

// An attachment's change that is not stored yet, as the control hands it out
// for a recovery copy and takes it back after an unclean end.
struct PendingAttachment {
    enum Kind : int { None = 0, Removed = 1, Picture = 2, Document = 3 };
    int kind = None;
    QString fileName;       // the picture's file name, which tells its type
    QByteArray bytes;       // the picture file, or the document in the container's own format
    QByteArray overlay;     // the overlay as its PNG; empty for none
    QString script;         // the overlay script
    bool operator==(const PendingAttachment &) const = default;
};

// How what an attachment shows differs from what its row stores, as bits
// (PendingChange); 0: no change.
enum AttachmentChange : int {
    ChangeInserted = 1,  // content where the row held none
    ChangeReplaced = 2,  // new content over the stored one
    ChangeDeleted = 4,   // the stored content removed
    ChangeAnnotated = 8, // the overlay drawn anew
    ChangeEdited = 16,   // the content changed in its own application
};

// The store a placed control reads its properties from and writes them to.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant ReadProperty(const QString &name, const QVariant &defaultValue) = 0;
    virtual void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) = 0;
};

// Event interface: what the control raises to its host.
class __RAZOleCtrl {
public:
    virtual ~__RAZOleCtrl() = default;
    // The control has content but no row number: the host puts one into NewPrimary.
    virtual void GetNewPrimary(QVariant &NewPrimary) = 0;
    // A left double-click on the content while AllowAppStart is False.
    virtual void DblClick() = 0;
    // The control came to show content or ceased to (a picture inserted,
    // loaded or deleted), so that the host can follow it.
    virtual void ContentChanged(bool hasContent) { Q_UNUSED(hasContent); }
};

// Dispatch interface of the control, members in their order.
class _RAZOleCtrl {
public:
    virtual ~_RAZOleCtrl() = default;

    // The control's own window: the host places and sizes it.
    virtual QWidget *hWnd() = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Borrowed: the control never opens or closes a database.
    virtual void SetDatabase(dao::Database *database) = 0;
    virtual bool OptimizeLoad() const = 0;
    virtual void SetOptimizeLoad(bool optimize) = 0;
    // False whenever Locked.
    virtual bool Changed() const = 0;
    virtual void SetChanged(bool changed) = 0;
    virtual bool HasButtons() const = 0;
    virtual void SetHasButtons(bool hasButtons) = 0;
    virtual bool Locked() const = 0;
    virtual void SetLocked(bool locked) = 0;
    virtual bool AllowAppStart() const = 0;
    virtual void SetAllowAppStart(bool allow) = 0;
    // The Objekt row shown; a null QVariant for none. Writing the same number
    // again does not reload unless Changed.
    virtual QVariant Value() const = 0;
    virtual void SetValue(const QVariant &newId) = 0;
    virtual QString DataField() const = 0;
    virtual void SetDataField(const QString &dataField) = 0;
    // The upright picture, with the overlay drawn over it when asked; for a
    // document what it shows (a PDF its first page); a null image when there
    // is no content. The image is the caller's.
    virtual QImage Picture(bool Overlay = false) = 0;
    virtual QVariant Tag() const = 0;
    virtual void SetTag(const QVariant &tag) = 0;
    // One of DoActionEnum; False for any other number.
    virtual bool DoAction(int cmd) = 0;
    // Writes the content to its row; False when Locked or when any step failed.
    virtual bool Save() = 0;
    virtual void SetDatabaseID(long ID) = 0;
    // Draws nothing.
    virtual void PrintOut(QPainter *hdc, long Left, long Top, long Width, long Height, bool fOverlay = false) = 0;

    // Picture(Overlay) decoded to fit into bound, for printing: a large photo
    // is never decoded whole. Its resolution is set so that it still stands
    // for the picture's full size on paper.
    virtual QImage PictureWithin(bool Overlay, const QSize &bound) = 0;
    // The host's event sink (borrowed); nullptr for none.
    virtual void Advise(__RAZOleCtrl *sink) = 0;
    virtual void WriteProperties(PropertyBag &bag) const = 0;
    // The content not stored yet, whatever the lock, for a recovery copy;
    // kind None when there is none.
    virtual PendingAttachment PendingContent() = 0;
    // Puts such a change back over the row the control holds (loading that
    // first): shown and Changed. False, told, when its content cannot be taken.
    virtual bool RestorePendingContent(const PendingAttachment &change) = 0;
    // The change still to be written (AttachmentChange bits, 0 for none),
    // also while Locked: a change made before the record was settled.
    virtual int PendingChange() const = 0;
    // Save for the host's record, also while Locked: writes that change.
    virtual bool SavePending() = 0;
    // An insert is waiting for the user or a device (a scan): the host keeps
    // its record shown until it ends.
    virtual bool Busy() const = 0;
};

// What DllGetClassObject hands out for CLSID_RAZOleCtrl. The new control is
// a child of parent (the caller's when parent is nullptr). Without a bag it
// starts as a newly placed control. userMode False makes a control at design
// time: it loads nothing and refuses Value.
class IClassFactory {
public:
    virtual ~IClassFactory() = default;
    virtual _RAZOleCtrl *CreateInstance(QWidget *parent, PropertyBag *bag, bool userMode) = 0;
};

// The entry points by name, for QLibrary::resolve.
using DllGetClassObjectFn = long (*)(const char *clsid, const char *iid, void **object);
using DllEntryFn = long (*)();

} // namespace kelvane

extern "C" {
// Records ProgID, class id and this library's path for the user.
long DllRegisterServer();
long DllUnregisterServer();
long DllGetClassObject(const char *clsid, const char *iid, void **object);
// S_OK when no control of this library lives any more.
long DllCanUnloadNow();
}
