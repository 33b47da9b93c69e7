// SPDX-License-Identifier: MIT
// The Qt main window and settings dialog on Qt's offscreen platform, with a real controller and
// its services on loopback: rows enabled by their type and applied into the settings file, the
// settings dialog's read-back and port check, "編集" opening a row's list, and the tray menu and
// hot keys reaching the controller; in each language, every text of the windows, the tray menu
// and the message boxes.
#include "ui/qt/main_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "client/control_client.h"
#include "core/paths.h"
#include "platform/ini_file.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"
#include "ui/dialog_ids.h"
#include "ui/qt/event_window.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/settings_dialog.h"
#include "ui/qt/translation.h"
#include "ui/window_texts.h"

namespace tvr::test {

using ui::qt::fromQString;
using ui::qt::toQString;

class MainWindowTest : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void openFile(const QUrl& url) { opened = url.toLocalFile(); }

private Q_SLOTS:
    void init() {
        folder.emplace();
        exe = folder->path16();
        dataFolder_.set(exe);
        makeWindow();
    }

    void cleanup() {
        window.reset();
        folder.reset();
        QVERIFY(ui::qt::useLanguage(ui::Language::Japanese));
    }

    void everyTextSpeaksTheChosenLanguage_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("Japanese") << false;
        QTest::newRow("English") << true;
    }

    void everyTextSpeaksTheChosenLanguage() {
        QFETCH(bool, english);
        QVERIFY(ui::qt::useLanguage(english ? ui::Language::English : ui::Language::Japanese));
        window.reset();
        makeWindow();
        // A headset that connects and is dropped leaves status texts in the bar and the events.
        client::ControlClient headset;
        client::Reply reply;
        QVERIFY(headset.connect("127.0.0.1", window->controller().controlServer()->port(), 2000));
        QVERIFY(headset.sendTexts({client::ControlClient::setupMessage()}) && headset.receiveReply(&reply, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusPart(0)->text(),
                                  english ? QStringLiteral("a headset connected") : QStringLiteral(u"接続中"), 5000);
        window->onHotKey(ID_HOTKEY_DISCONNECT);
        QVERIFY(headset.waitClosed(5000));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusPart(0)->text(),
                                  english ? QStringLiteral("waiting for a headset") : QStringLiteral(u"接続待ち"),
                                  5000);
        lineEdit(IDC_ROW3_PATH)->setText(QStringLiteral("/no/such/folder"));
        window->findChild<QComboBox*>(QString::number(IDC_ROW3_TYPE))->setCurrentIndex(1);
        button(IDC_APPLY)->click();
        QTRY_VERIFY_WITH_TIMEOUT(window->statusPart(1)->toolTip().contains(QStringLiteral("/no/such/folder")), 5000);
        window->model().hotKeyTaken(u"Ctrl+Shift+Alt+S");
        QTest::mouseDClick(window->statusPart(0), Qt::LeftButton);

        ui::qt::SettingsDialog dialog(window->controller(), exe, &*window);
        dialog.show();
        dialog.edit(IDC_PORT_MOUSE)->setText(QStringLiteral("0"));
        dialog.accept();
        auto* refusal = dialog.findChild<QMessageBox*>();
        QVERIFY(refusal != nullptr);

        // Each control's caption, by its id, as the two languages write it.
        struct Caption {
            QWidget* owner;
            int id;
            const char16_t *japanese, *english;
        };
        for (const Caption& c : {
                 Caption{&*window, IDC_SETTINGS, u"設定", u"Settings"},
                 Caption{&*window, IDC_APPLY, u"適用", u"Apply"},
                 Caption{&*window, IDC_QUIT, u"終了", u"Quit"},
                 Caption{&*window, IDC_REFRESH, u"情報更新", u"Refresh"},
                 Caption{&*window, IDC_MOUSE_ON, u"マウス ON", u"Mouse ON"},
                 Caption{&*window, IDC_MOUSE_OFF, u"マウス OFF", u"Mouse OFF"},
                 Caption{&*window, IDC_DISCONNECT, u"強制 切断\nC+S+A+KEY[S]", u"Disconnect\nC+S+A+KEY[S]"},
                 Caption{&*window, IDC_ROW1_FOLDER, u"フォル", u"Fold."},
                 Caption{&*window, IDC_ROW8_EDIT, u"編集", u"Edit"},
                 Caption{&dialog, IDC_TRIM_FOLDER, u"フォルダ", u"Folder"},
                 Caption{&dialog, IDC_WORD_LIST_EDIT, u"編集", u"Edit"},
                 Caption{&dialog, IDC_CANCEL, u"キャンセル", u"Cancel"},
                 Caption{&dialog, IDC_USE_PASSWORD, u"パスワードを使う (off)", u"Use a password (off)"},
                 Caption{&dialog, IDC_USE_MOUSE, u"PCマウスを使う　(Off)", u"Use the PC mouse (Off)"},
             }) {
            auto* control = c.owner->findChild<QAbstractButton*>(QString::number(c.id));
            QVERIFY2(control != nullptr, qPrintable(QString::number(c.id)));
            QCOMPARE(control->text(), QString::fromUtf16(english ? c.english : c.japanese));
        }
        QCOMPARE(dialog.windowTitle(), english ? QStringLiteral("Settings") : QStringLiteral(u"設定"));
        QStringList types;
        auto* type = window->findChild<QComboBox*>(QString::number(IDC_ROW1_TYPE));
        for (int i = 0; i < type->count(); ++i) types << type->itemText(i);
        QCOMPARE(types.join(u'|'),
                 english ? QStringLiteral("VR device|PC folder|Playlist|Search list|Favorites list")
                         : QStringLiteral(u"VRデバイス|PCフォルダ|プレイリスト|検索リスト|お気に入りリスト"));
        QVERIFY(refusal->text().contains(english ? QStringLiteral("Port (mouse)")
                                                 : QStringLiteral(u"ポート番号 (マウス)")));

        QStringList texts = shownTexts({&*window, &dialog, window->eventWindow(), window->trayMenu()});
        QVERIFY(texts.size() > 60);
        QString all = texts.join(u'\n');
        if (english) {
            for (const QString& text : texts) QVERIFY2(!hasJapanese(text), qPrintable(text));
        } else {
            for (const char16_t* part :
                 {u"チャンネル", u"サーバーアドレス", u"ウインドウを表示(&W)", u"イベントを表示(&E)", u"終了(&Q)",
                  u"イベント - TamvikVR Server", u"送り (10)", u"秒",
                  u"ホットキー Ctrl+Shift+Alt+S は他のプログラムが使っています",
                  u"チャンネル3 のフォルダがありません: /no/such/folder"})
                QVERIFY2(texts.contains(QString::fromUtf16(part)) || all.contains(QString::fromUtf16(part)),
                         qPrintable(QString::fromUtf16(part)));
            QVERIFY2(!window->eventWindow()->text().contains(QStringLiteral("headset")),
                     "the Japanese event list has no English gloss");
        }
        // Qt's own dialogs (the folder chooser's buttons) speak the window's language too.
        QDialogButtonBox standard(QDialogButtonBox::Cancel);
        QCOMPARE(standard.button(QDialogButtonBox::Cancel)->text(),
                 english ? QStringLiteral("Cancel") : QStringLiteral(u"キャンセル"));
        refusal->accept();
        dialog.reject();
    }

    void rowsEnableByTypeAndApplyReachesTheSettingsFile() {
        QCOMPARE(lineEdit(IDC_ROW3_PATH)->text(), QStringLiteral("ch3.vrl"));
        struct Expected {
            int row;
            bool path, folderButton, editButton;
        };
        for (Expected e :
             {Expected{0, false, false, false}, Expected{1, true, true, false}, Expected{7, true, true, true}}) {
            const ui::ChannelRowIds& ids = ui::kChannelRowIds[static_cast<std::size_t>(e.row)];
            QCOMPARE(lineEdit(ids.path)->isEnabled(), e.path);
            QCOMPARE(button(ids.folder)->isEnabled(), e.folderButton);
            QCOMPARE(button(ids.edit)->isEnabled(), e.editButton);
        }
        auto* type = window->findChild<QComboBox*>(QString::number(IDC_ROW3_TYPE));
        QStringList names;
        for (int i = 0; i < type->count(); ++i) names << type->itemText(i);
        QCOMPARE(names, (QStringList{QStringLiteral(u"VRデバイス"), QStringLiteral(u"PCフォルダ"),
                                     QStringLiteral(u"プレイリスト"), QStringLiteral(u"検索リスト"),
                                     QStringLiteral(u"お気に入りリスト")}));

        type->setCurrentIndex(1);
        QVERIFY2(!button(IDC_ROW3_EDIT)->isEnabled(), "PC folder leaves 編集 disabled");
        QVERIFY(button(IDC_ROW3_FOLDER)->isEnabled());
        type->setCurrentIndex(0);
        QVERIFY2(!lineEdit(IDC_ROW3_PATH)->isEnabled() && !button(IDC_ROW3_FOLDER)->isEnabled(),
                 "VR device disables the whole row");
        type->setCurrentIndex(1);
        lineEdit(IDC_ROW3_PATH)->setText(QStringLiteral("/videos/3"));
        button(IDC_APPLY)->click();
        QCOMPARE(window->controller().settings().config().channels[2],
                 (core::ChannelConfig{core::kChannelPcFolder, u"/videos/3"}));
        QCOMPARE(ini(u"ch.2", u"iType"), QStringLiteral("0"));
        QCOMPARE(ini(u"ch.2", u"pcPath"), QStringLiteral("/videos/3"));
        QVERIFY(!closed);
        QTRY_VERIFY_WITH_TIMEOUT(window->statusPart(1)->toolTip().contains(QStringLiteral("/videos/3")), 5000);

        lineEdit(IDC_ROW4_PATH)->setText(QStringLiteral("entered.vrl"));
        QTest::keyClick(lineEdit(IDC_ROW4_PATH), Qt::Key_Return);
        QCOMPARE(ini(u"ch.3", u"pcPath"), QStringLiteral("entered.vrl"));
        QVERIFY2(!closed && window->controller().controlServer(),
                 "Enter in a path box applies and the program runs on");
    }

    void editButtonOpensTheRowsListBesideTheProgram() {
        lineEdit(IDC_ROW3_PATH)->setText(QStringLiteral("mine.vrl"));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openFile");
        button(IDC_ROW3_EDIT)->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opened, QString::fromStdString(folder->file("mine.vrl")));
        QFileInfo made(opened);
        QVERIFY2(made.exists() && made.size() == 0, "a list not made yet is made empty before it opens");
        QCOMPARE(made.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    }

    void settingsDialogReadsBackAndRefusesABadPort() {
        core::Config before = window->controller().settings().config();
        ui::qt::SettingsDialog dialog(window->controller(), exe, &*window);
        dialog.show();
        int lastY = -1;
        for (const ui::SettingsField& field : ui::settingsFields()) {
            auto* control = dialog.findChild<QWidget*>(QString::number(field.id));
            QVERIFY2(control != nullptr, qPrintable(QString::number(field.id)));
            int y = control->mapTo(&dialog, QPoint(0, 0)).y();
            QVERIFY2(y >= lastY, "the fields stand in the dialog's order, top to bottom");
            lastY = y;
        }
        QCOMPARE(dialog.edit(IDC_PORT_SERVER)->text(), QString::number(before.portServer));
        QCOMPARE(dialog.edit(IDC_PASSWORD)->echoMode(), QLineEdit::Password);
        QVERIFY(dialog.edit(IDC_SEARCH_LIST)->isReadOnly());
        QVERIFY2(dialog.edit(IDC_SEARCH_LIST)->palette().color(QPalette::Base) !=
                     dialog.edit(IDC_EXTENSIONS)->palette().color(QPalette::Base),
                 "a read-only field looks read-only");
        QCOMPARE(dialog.edit(IDC_EXTENSIONS)->mapTo(&dialog, QPoint(0, 0)).x(),
                 dialog.edit(IDC_PORT_SERVER)->mapTo(&dialog, QPoint(0, 0)).x());
        QCOMPARE(dialog.edit(IDC_SEARCH_LIST)->mapTo(&dialog, QPoint(0, 0)).x(),
                 dialog.edit(IDC_MOUSE_SCALE)->mapTo(&dialog, QPoint(0, 0)).x());

        QTest::keyClicks(dialog.edit(IDC_MOUSE_SCALE), QStringLiteral("x"));
        QCOMPARE(dialog.edit(IDC_MOUSE_SCALE)->text(), QString::number(before.mouseScale));
        dialog.edit(IDC_SEEK_BACKWARD)->setText(QStringLiteral("back"));
        dialog.edit(IDC_LIVE_TIMEOUT)->setText(QStringLiteral("soon"));
        dialog.edit(IDC_EXTENSIONS)->setText(QStringLiteral("mp4 mkv"));
        dialog.edit(IDC_PORT_HTTP)->setText(QStringLiteral("0"));
        dialog.check(IDC_SERVER_LOG)->setChecked(true);
        dialog.accept();
        auto* refusal = dialog.findChild<QMessageBox*>();
        QVERIFY2(refusal != nullptr && refusal->isVisible(), "a port of 0 is refused with a message");
        QVERIFY(refusal->text().contains(QStringLiteral(u"ポート番号 (動画用)")));
        QVERIFY(dialog.isVisible());
        QCOMPARE(window->controller().settings().config().extensions, before.extensions);
        refusal->accept();

        dialog.edit(IDC_PORT_HTTP)->setText(QStringLiteral("8080"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ini(u"Setup", u"iSeek1RW"), QStringLiteral("0"));
        QCOMPARE(ini(u"Config", u"iLiveTimeOutSec"), QStringLiteral("0"));
        QCOMPARE(ini(u"File", u"pcExt"), QStringLiteral("mp4 mkv"));
        QCOMPARE(window->controller().settings().config().portHttp, 8080);
        QCOMPARE(window->controller().settings().config().serverLog, 1);
        QVERIFY2(!ini(u"cdlgConfig", u"mrcWnd.rcRight").isEmpty(), "the dialog's rectangle is kept");
    }

    void hotKeysAndTrayMenuReachTheController() {
        client::ControlClient headset;
        client::Reply reply;
        QVERIFY(headset.connect("127.0.0.1", window->controller().controlServer()->port(), 2000));
        QVERIFY(headset.sendTexts({client::ControlClient::setupMessage()}) && headset.receiveReply(&reply, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusPart(0)->text(), QStringLiteral(u"接続中"), 5000);
        QVERIFY(headset.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)"}) && headset.receiveReply(&reply, 5000));
        window->onHotKey(ID_HOTKEY_DISCONNECT);
        QVERIFY2(headset.waitClosed(5000), "Ctrl+Shift+Alt+S drops the headset");
        QTRY_COMPARE_WITH_TIMEOUT(window->statusPart(0)->text(), QStringLiteral(u"接続待ち"), 5000);

        window->onHotKey(ID_HOTKEY_MOUSE_OFF);
        std::u16string problem = window->controller().mouseProblem();
        // The tooltip holds the whole text, then how to open the events.
        if (!problem.empty())
            QCOMPARE(window->statusPart(1)->toolTip(),
                     toQString(problem) + u'\n' + toQString(ui::text(ui::TextId::StatusBarHint)));

        QTest::mouseDClick(window->statusPart(0), Qt::LeftButton);
        QVERIFY2(window->eventWindow() != nullptr && window->eventWindow()->isVisible(),
                 "a double-click on the status bar opens the event window");
        QString events = window->eventWindow()->text();
        QVERIFY(events.indexOf(QStringLiteral(u"接続中")) >= 0);
        QVERIFY2(events.indexOf(QStringLiteral("refused #CMD_GET_CHANNEL")) > events.indexOf(QStringLiteral(u"接続中")),
                 qPrintable(events));
        QVERIFY(events.indexOf(QStringLiteral(u"切断(強制切断)")) > events.indexOf(QStringLiteral("refused")));

        QList<QAction*> tray = window->trayMenu()->actions();
        QCOMPARE(tray.size(), 3);
        QCOMPARE(tray[0]->text(), QStringLiteral(u"ウインドウを表示(&W)"));
        QCOMPARE(tray[1]->text(), QStringLiteral(u"イベントを表示(&E)"));
        QCOMPARE(tray[2]->text(), QStringLiteral(u"終了(&Q)"));
        window->showMinimized();
        QCoreApplication::processEvents();
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QVERIFY2(window->isVisible() && window->isMinimized(),
                     "without a tray the window minimises as any other does");
        window->hide();
        tray[0]->trigger();
        QVERIFY2(window->isVisible() && !window->isMinimized(), "ウインドウを表示 shows the window again");
        lineEdit(IDC_ROW4_PATH)->setText(QStringLiteral("typed.vrl"));
        tray[2]->trigger();
        QVERIFY2(closed, "終了(&Q) quits");
        QCOMPARE(ini(u"ch.3", u"pcPath"), QStringLiteral("typed.vrl"));
        QVERIFY2(!ini(u"cdlgMain", u"mrcWnd.rcRight").isEmpty(), "the window's rectangle is kept");
        QVERIFY(!window->controller().controlServer());
    }

private:
    void makeWindow() {
        window.emplace(folder->file16("TamvikVRServer.ini"), exe, ui::ControllerOptions{nullptr, true, 0x7F000001});
        QVERIFY(window->loadSettings());
        window->start();
        window->show();
        closed = false;
        window->setOnClosed([this] { closed = true; });
    }

    // Every text the widgets show: titles, labels, buttons, combo items, fields, tool tips, menu
    // entries, message boxes and the event list, of each widget and everything inside it.
    static QStringList shownTexts(std::initializer_list<QWidget*> tops) {
        QStringList texts;
        for (QWidget* top : tops) {
            if (top == nullptr) continue;
            QList<QWidget*> widgets = top->findChildren<QWidget*>();
            widgets.prepend(top);
            for (QWidget* widget : widgets) {
                texts << widget->windowTitle() << widget->toolTip();
                if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
                if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
                if (auto* line = qobject_cast<QLineEdit*>(widget)) texts << line->text();
                if (auto* box = qobject_cast<QMessageBox*>(widget)) texts << box->text();
                if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
                }
                for (QAction* action : widget->actions()) texts << action->text();
            }
            if (auto* events = dynamic_cast<ui::qt::EventWindow*>(top)) texts << events->text().split(u'\n');
        }
        texts.removeAll(QString());
        return texts;
    }

    static bool hasJapanese(const QString& text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) {
            char16_t u = c.unicode();
            return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
        });
    }

    QLineEdit* lineEdit(int id) { return window->findChild<QLineEdit*>(QString::number(id)); }
    QPushButton* button(int id) { return window->findChild<QPushButton*>(QString::number(id)); }
    // The settings are written on the controller's writer thread: what it was asked to write is
    // read once it has.
    QString ini(std::u16string_view section, std::u16string_view key) {
        window->controller().flushSettings();
        return toQString(platform::iniReadString(window->controller().settings().path(), section, key, u""));
    }

    DataFolderScope dataFolder_;
    std::optional<TempFolder> folder;
    std::u16string exe;
    std::optional<ui::qt::MainWindow> window;
    bool closed = false;
    QString opened;
};

}  // namespace tvr::test

QTEST_MAIN(tvr::test::MainWindowTest)
#include "main_window_test.moc"
