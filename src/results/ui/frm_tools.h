#pragma once
// The Tools window: how often each duplicate occurs, and copying or saving
// chosen duplicates.
//
// It is created anew for every opening and only reads the scan result; the
// one setting it changes is the path of the last saved export.

#include "results/export.h"
#include "results/frequency.h"
#include "scan/text_codec.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeView;

namespace twinsift {

struct LoadedDocument;
struct SettingsValues;
class CommandPort;

// lvFreq's rows, read from the frequency list when they are painted: a
// million groups cost the view a row count, not a million items.
class FrequencyModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    FrequencyModel(const FrequencyList& list, Codec codec, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The list was filled or re-ordered.
    void reload();

private:
    const FrequencyList& list_;
    Codec codec_;
};

class frmTools final : public QDialog {
    Q_OBJECT
public:
    // port: the main window's; the exports disable this window instead of it.
    frmTools(SettingsValues& settings, const LoadedDocument& doc, CommandPort& port, QWidget* parent = nullptr);
    ~frmTools() override;

    // Controls, named as in the program's design.
    QTabWidget* TabStrip = nullptr;
    QWidget* frmFreq = nullptr;
    QWidget* frmCopySave = nullptr;
    QLabel* lblFreq = nullptr;
    QTreeView* lvFreq = nullptr;
    QPushButton* cmdFreq = nullptr;
    QPushButton* cmdFreqCopy = nullptr;
    QLabel* lblCopySave = nullptr;
    QGroupBox* frmLines = nullptr;
    QGroupBox* frmContent = nullptr;
    QRadioButton* optLine[3] = {};
    QRadioButton* optContent[3] = {};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;

    const FrequencyList& frequency() const { return freq_; }
    FrequencyModel& frequencyModel() { return *model_; }
    bool bPreprocessUsed() const { return export_->bPreprocessUsed(); }

private:
    void buildFrequencyPage();
    void buildCopySavePage();
    void setUpContentOptions();
    void cmdFreq_Click();
    void cmdFreqCopy_Click();
    void lvFreq_ColumnClick(int column);
    ExportLines chosenLines() const;
    ExportContent chosenContent() const;

    class ToolsPort;

    SettingsValues& settings_;
    const LoadedDocument& doc_;
    CommandPort& port_;
    std::unique_ptr<ToolsPort> toolsPort_;
    std::unique_ptr<DuplicateExport> export_;
    std::unique_ptr<Collation> collation_;
    FrequencyList freq_;
    FrequencyModel* model_ = nullptr;
};

} // namespace twinsift
