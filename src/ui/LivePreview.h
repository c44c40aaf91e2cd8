#pragma once
// The ZARN applet viewer kept running beside the editor: "Run preview" sends it each new page instead
// of opening another window, and with "Live preview" on every edit that changes the block is sent
// after the same pause as the live block pane's. Closing its window ends live preview; the editor's
// end ends the viewer.

#include "platform/JavaRuntime.h"
#include "tag/Preview.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QAction;
class QProcess;
class QTimer;

namespace zarn {

class TJavaAppletTag;
struct TAppSettings;

class TLivePreview : public QObject {
    Q_OBJECT

public:
    // `document` gives the tag and the document's path, or a null tag while there is no document.
    using DocumentSource = std::function<TJavaAppletTag*(std::string& documentPath)>;
    TLivePreview(DocumentSource document, const TAppSettings& settings, QObject* parent);
    // Closes the viewer's input, which ends it; one that does not end in time is stopped.
    ~TLivePreview() override;

    // Whether "Run preview" goes through here: the ZARN applet viewer is the one configured, and it
    // has not refused to stay running here.
    bool Takes() const;
    // Writes the preview page with `prompt`'s warnings and shows it in the running viewer, starting
    // one when none runs. False when the viewer cannot be started (nothing was sent).
    bool Show(Prompt& prompt);
    bool Running() const;

    QAction* Toggle;  // "Live preview", in the View menu
    QTimer* Debounce; // the pause after an edit
    // What starts the viewer; tests give another program.
    std::function<TZarnViewerLaunch()> Launcher = ZarnViewerLaunch;

public slots:
    void DocumentChanged();

signals:
    // An answer of the viewer: "started CLASS", "failed REASON", ...
    void Answered(const QString& answer);

private:
    void SendIfChanged();
    bool Start(bool trusted);
    void Stop();
    void Read();
    void Say(const QString& text, bool reveal);

    DocumentSource document_;
    const TAppSettings& settings_;
    QProcess* process_ = nullptr;
    QStringList oneShot_; // program and arguments before the page, for a viewer that refuses
    QString lastPage_;
    bool trusted_ = false;
    bool refused_ = false;
    std::string lastBlock_;
    int pending_ = 0;
    TTempFiles pages_;
    QByteArray partial_;
};

} // namespace zarn
