#include "ui/optionform.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "platform/notifier.h"
#include "settings/settings.h"
#include "ui/geometry.h"
#include "ui/mainform.h"

namespace lumiroka {

int OptionCheckBox::value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void OptionCheckBox::setValue(int value)
{
    setTristate(value == 2);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void OptionCheckBox::nextCheckState()
{
    // A click only ever ticks or clears; a shaded box becomes ticked.
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    setTristate(false);
}

QString optionform::versionText() { return QStringLiteral("Lumiroka Ver.1.2"); }

optionform::optionform(mainform *owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_main(owner)
{
    setObjectName(QStringLiteral("optionform"));
    setWindowTitle(QStringLiteral("OPTION"));
    setFixedSize(twips(3135), twips(1575));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(owner->windowIcon());
    // The layout was drawn for a proportional Japanese UI face; with a fixed-pitch fallback
    // "タヴリック" no longer fits its button. Prefer proportional faces for the kana.
    QFont uiFont = font();
    uiFont.setFamilies({uiFont.family(), QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
    setFont(uiFont);

    m_frame1 = new QGroupBox(QStringLiteral("キャラ"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(twipsRect(0, 0, 1215, 1095));

    static const std::array<const char *, 3> names = {"ピロ", "ズウ", "タヴリック"};
    static const std::array<QRect, 3> places = {twipsRect(120, 240, 615, 255), twipsRect(120, 480, 615, 255),
                                                twipsRect(120, 720, 975, 255)};
    auto *group = new QButtonGroup(this);
    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        auto *option = new QRadioButton(QString::fromUtf8(names[i]), m_frame1);
        option->setObjectName(QStringLiteral("option1_%1").arg(i));
        option->setGeometry(places[i]);
        option->setAccessibleName(option->text());
        group->addButton(option, static_cast<int>(i));
        m_option1[i] = option;
    }

    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(twipsRect(2160, 1200, 855, 255));
    m_command1->setAutoDefault(false);
    m_command1->setAccessibleName(QStringLiteral("OK"));

    m_command2 = new QPushButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(twipsRect(120, 1200, 1095, 255));
    m_command2->setAutoDefault(false);
    m_command2->setAccessibleName(m_command2->text());

    m_check1 = new OptionCheckBox(QStringLiteral("計測中は最小化"), this);
    m_check1->setObjectName(QStringLiteral("check1"));
    m_check1->setGeometry(twipsRect(1320, 240, 1695, 255));
    m_check1->setAccessibleName(m_check1->text());

    m_check2 = new OptionCheckBox(QStringLiteral("最小化時はﾄﾚｲへ"), this);
    m_check2->setObjectName(QStringLiteral("check2"));
    m_check2->setGeometry(twipsRect(1320, 600, 1695, 255));
    m_check2->setAccessibleName(m_check2->text());

    // Where a caption is a little wider than its designed box in this face, let the box
    // grow into the free space beside it rather than cut the caption.
    auto fit = [](QWidget *control, int right) {
        const int wanted = std::min(control->sizeHint().width(), right - control->x());
        if (wanted > control->width())
            control->resize(wanted, control->height());
    };
    for (QRadioButton *option : m_option1)
        fit(option, m_frame1->width() - 2);
    fit(m_check1, width());
    fit(m_check2, width());

    QWidget::setTabOrder(m_option1[0], m_command1);
    QWidget::setTabOrder(m_command1, m_command2);
    QWidget::setTabOrder(m_command2, m_check1);
    QWidget::setTabOrder(m_check1, m_check2);

    connect(m_command1, &QPushButton::clicked, this, &optionform::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &optionform::Command2_Click);
}

void optionform::loadsetting()
{
    m_main->readSettings();
    const SettingsValues &shared = m_main->settings();
    m_option1.at(static_cast<std::size_t>(shared.charano))->setChecked(true);
    m_check1->setValue(shared.check1value);
    m_check2->setValue(shared.check2value);
}

void optionform::setsetting()
{
    SettingsValues chosen;
    chosen.charano = m_option1[0]->isChecked() ? 0 : m_option1[1]->isChecked() ? 1 : 2;
    chosen.check1value = static_cast<std::int16_t>(m_check1->value());
    chosen.check2value = static_cast<std::int16_t>(m_check2->value());
    // All three apply at once, not only the character.
    m_main->settings() = chosen;

    const std::string error = writeSettings(*m_main->services().store, chosen);
    if (!error.empty() && m_main->services().notifier) {
        m_main->services().notifier->warn(
            QStringLiteral("Lumiroka"),
            QStringLiteral("The settings could not be saved: %1.\n\nSettings file: %2\n\n"
                           "Your choices apply until Lumiroka is closed; the file keeps its earlier content.")
                .arg(QString::fromStdString(error), QString::fromStdString(m_main->services().store->location())));
    }
}

void optionform::Command1_Click()
{
    setsetting();
    m_main->setchara();
    close();
}

void optionform::Command2_Click()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), versionText(), QMessageBox::Ok, this);
    box.exec();
}

void optionform::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    const QScreen *area = m_main->screen() ? m_main->screen() : QGuiApplication::primaryScreen();
    move(area->availableGeometry().center() - rect().center());
}

} // namespace lumiroka
