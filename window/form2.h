#pragma once

#include "core/anchor_store.h"
#include "core/point_cloud.h"
#include "platform/dispatch.h"
#include "platform/fast_random.h"
#include "platform/progress_watch.h"
#include "platform/qt/qt_services.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace chaos {

class SurfaceWidget;

// The program's one window: the drawing surface, the dot count, the colour
// list, "Clear Screen" and "Exit". Its layout is fixed.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // Where messages go, how the program ends and the picture commands'
    // dialogs, so that tests can answer them instead of a modal box.
    struct Services {
        MessageBox& messages;
        ProgramEnd& programEnd;
        PictureDialogs& dialogs;
    };

    explicit Form2(Services services, QWidget* parent = nullptr);
    ~Form2() override;

    // The controls, named as in the layout table.
    SurfaceWidget* box;
    QPushButton* Command1;
    QComboBox* sel;
    QPushButton* Command2;
    QLabel* Label1;
    QListWidget* col;
    QLabel* Label2;
    QLabel* Label3;

    // State shared by the handlers, kept while the window lives.
    AnchorStore anchors;
    Color dotColor = 0;  // black until a colour is chosen

    QtProgressView& progressView() { return *progress; }

    void col_Click();
    void Command1_Click();
    void Command2_Click();

    // The picture commands, each with its standard shortcut (Ctrl+S, Ctrl+C,
    // Ctrl+P), and the keys' help (F1). Quit (Ctrl+Q) closes the window.
    void savePicture();
    void copyPicture();
    void printPicture();
    void showKeys();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void placeControls();
    void wireEvents();
    void addCommands();
    void setBusy(bool busy);

    Services services;
    Dispatcher dispatcher;
    FastRandom random;
    std::unique_ptr<WidgetText> selText;
    std::unique_ptr<WidgetText> colText;
    std::unique_ptr<QtProgressView> progress;
    std::unique_ptr<ProgressWatch> progressWatch;
    std::unique_ptr<PointCloud> pointCloud;
    QString lastSaved;  // where the picture was last saved in this run
    bool closeAfterDraw = false;
};

} // namespace chaos
