#include "qt/optionsdialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "forms/layout.h"
#include "forms/optionform.h"
#include "qt/geometry.h"
#include "qt/placement.h"

namespace lumiroka {

namespace {
QString qs(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

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
    setValue(clickedCheck(value()));
}

QtOptionsDialog::~QtOptionsDialog()
{
    delete m_dialog.data();
}

void QtOptionsDialog::build(const OptionValues &values)
{
    auto *dialog =
        new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_dialog = dialog;
    dialog->setObjectName(QStringLiteral("optionform"));
    dialog->setWindowTitle(qs(layout::kOptionCaption));
    dialog->setFixedSize(twips(layout::kOptionWidth), twips(layout::kOptionHeight));
    dialog->setWindowIcon(m_main->windowIcon());
    // The layout was drawn for a proportional Japanese UI face; with a fixed-pitch fallback
    // "タヴリック" no longer fits its button. Prefer proportional faces for the kana.
    QFont uiFont = dialog->font();
    uiFont.setFamilies({uiFont.family(), QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
    dialog->setFont(uiFont);

    auto *frame = new QGroupBox(qs(layout::Frame1.caption), dialog);
    frame->setObjectName(qs(layout::Frame1.name));
    frame->setGeometry(twipsRect(layout::Frame1.box));
    auto *group = new QButtonGroup(dialog);
    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        auto *option = new QRadioButton(qs(layout::option1[i].caption), frame);
        option->setObjectName(qs(layout::option1[i].name));
        option->setGeometry(twipsRect(layout::option1[i].box));
        group->addButton(option, static_cast<int>(i));
        m_option1[i] = option;
    }
    auto button = [dialog](const layout::Control &control) {
        auto *b = new QPushButton(qs(control.caption), dialog);
        b->setObjectName(qs(control.name));
        b->setGeometry(twipsRect(control.box));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *ok = button(layout::optionOk);
    QPushButton *version = button(layout::optionVersion);
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        const layout::Control &control = i == 0 ? layout::check1 : layout::check2;
        auto *box = new OptionCheckBox(qs(control.caption), dialog);
        box->setObjectName(qs(control.name));
        box->setGeometry(twipsRect(control.box));
        m_checks[i] = box;
    }

    auto fit = [](QWidget *control, int roomRight) {
        control->resize(
            layout::fittedWidth(control->x(), control->width(), control->sizeHint().width(), twips(roomRight)),
            control->height());
    };
    for (QRadioButton *option : m_option1)
        fit(option, layout::kOptionRoomRight);
    for (OptionCheckBox *box : m_checks)
        fit(box, layout::kCheckRoomRight);
    fit(version, layout::kVersionRoomRight);

    QWidget::setTabOrder(m_option1[0], ok);
    QWidget::setTabOrder(ok, version);
    QWidget::setTabOrder(version, m_checks[0]);
    QWidget::setTabOrder(m_checks[0], m_checks[1]);

    if (values.option >= 0 && values.option < static_cast<int>(m_option1.size()))
        m_option1[static_cast<std::size_t>(values.option)]->setChecked(true);
    for (std::size_t i = 0; i < m_checks.size(); ++i)
        m_checks[i]->setValue(values.checks[i]);

    QObject::connect(ok, &QPushButton::clicked, dialog, [this] {
        if (m_form)
            m_form->Command1_Click();
    });
    QObject::connect(version, &QPushButton::clicked, dialog, [this] {
        if (m_form)
            m_form->Command2_Click();
    });
}

bool QtOptionsDialog::option(int index) const
{
    return m_option1.at(static_cast<std::size_t>(index))->isChecked();
}

int QtOptionsDialog::check(OptionCheck box) const
{
    return m_checks[checkIndex(box)]->value();
}

void QtOptionsDialog::showModal(const OptionValues &values)
{
    if (!m_dialog)
        build(values);
    QPointer<QDialog> dialog = m_dialog;
    centreOnScreen(dialog, m_main->screen());
    dialog->exec();
    // Closed, however: the dialog goes with whatever the user changed.
    m_dialog = nullptr;
    if (dialog)
        dialog->deleteLater();
}

void QtOptionsDialog::close()
{
    // Gone at once, as on Windows: from here on the controls are nobody's to read, and the
    // modal loop ends behind the caller.
    const QPointer<QDialog> dialog = m_dialog;
    m_dialog = nullptr;
    if (dialog)
        dialog->close();
}

void QtOptionsDialog::hide()
{
    if (m_dialog)
        m_dialog->hide();
}

void QtOptionsDialog::messageBox(const std::string &title, const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    m_dialog);
    box.exec();
}

} // namespace lumiroka
