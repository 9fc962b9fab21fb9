#include <QFileDialog>
#include <memory>

#include "calibration/calibration_file.h"
#include "ui/calibration/calibration_window.h"
#include "ui/calibration/get_calibr_point_form.h"
#include "ui/calibration/get_points_form.h"
#include "ui/calibration/get_type_calibr_form.h"
#include "ui/calibration/show_calibr_form.h"
#include "ui/main_form.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"
#include "ui/registered_forms.h"
#include "calibration/menu_items.h"

namespace quillon::ui {

namespace {

// The main window keeps the two calibration file dialogs, so that they
// remember their folder and filter; a dialog of its own when there is none.
bool RunFileDialog(QtUserInterface& ui, CalibrationFileDialog& record) {
    QFileDialog* dialog = nullptr;
    std::unique_ptr<QFileDialog> own;
    if (auto* main = qobject_cast<TMainForm*>(ui.parentWidget()))
        dialog = record.save ? main->saveDialog1() : main->openDialog1();
    if (!dialog) {
        own = std::make_unique<QFileDialog>(ui.parentWidget());
        own->setObjectName(record.save ? "SaveDialog1" : "OpenDialog1");
        dialog = own.get();
    }
    dialog->setWindowTitle(ToQ(record.title));
    dialog->setAcceptMode(record.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(record.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The overwrite question is the tool's own.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters;
    for (const std::string& f : record.filters) filters << ToQ(f);
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(ToQ(record.defaultExtension));
    if (!record.directory.empty()) dialog->setDirectory(ToQ(record.directory));
    dialog->selectFile(ToQ(record.fileName));
    if (!ui.runDialog(*dialog)) return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty()) return false;
    record.fileName = FromQ(chosen.front());
    return true;
}

}  // namespace

// The forms of the calibration commands.
void RegisterCalibrationForms(QtUserInterface& ui) {
    ui.registerLiveView(live_view::Calibration, [](InterruptFlags* flags) { return new TCalibrovkaForm(flags); });
    ui.registerLiveView(live_view::CalibrationAmbient,
                        [](InterruptFlags* flags) { return new TCalibrTOkrForm(flags); });
    ui.registerForm<TGetTypeCalibrForm, CalibrationTypeDialog>();
    // Closing the view is "Выход"; the enable box is taken however the view is left.
    ui.registerDialog<ShowCalibrationDialog>([&ui](ShowCalibrationDialog& r) {
        TShowCalibrForm form(ui.parentWidget());
        form.load(r);
        ui.runDialog(form);
        form.store(r);
        return true;
    });
    ui.registerForm<TGetCalibrPointForm, CalibrationPointDialog>();
    ui.registerForm<TGetPointsForm, PointCountDialog>();
    ui.registerDialog<CalibrationFileDialog>([&ui](CalibrationFileDialog& r) { return RunFileDialog(ui, r); });
}

}  // namespace quillon::ui
