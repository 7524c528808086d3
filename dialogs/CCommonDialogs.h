#pragma once
// The common dialogs behind properties: a caller makes one object per command, calls Init with
// the owning window, sets the properties a dialog reads, calls one dialog method and reads the
// result properties only when it returned true (-1). Booleans are -1 (true) and 0 (false).

#include "dialogs/SystemDialogs.h"

#include <QString>
#include <cstdint>
#include <utility>

class QWidget;

namespace dialogs {

class CCommonDialogs {
public:
    // `programFolder` is where ShowSave starts when Path names no folder; empty means the
    // folder of the running executable.
    explicit CCommonDialogs(SystemDialogs& system, QString programFolder = QString())
        : system_(system), programFolder_(std::move(programFolder)) {}

    // Properties: a getter and a setter of the same name. Getters of Title, Path, FileTitle and
    // FileName return the text up to its first NUL.
    std::int16_t FontUnderline() const { return fontUnderline_; }
    void FontUnderline(std::int16_t value) { fontUnderline_ = value; }
    std::int16_t FontItalic() const { return fontItalic_; }
    void FontItalic(std::int16_t value) { fontItalic_ = value; }
    std::int16_t FontBold() const { return fontBold_; }
    void FontBold(std::int16_t value) { fontBold_ = value; }
    std::int16_t FontSize() const { return fontSize_; }
    void FontSize(std::int16_t value) { fontSize_ = value; }
    QString FontName() const { return fontName_; }
    void FontName(const QString& value) { fontName_ = value; }
    std::int32_t Color() const { return color_; }
    void Color(std::int32_t value) { color_ = value; }
    QString DefExt() const { return defExt_; }
    void DefExt(const QString& value) { defExt_ = value; }
    QString Title() const;
    void Title(const QString& value) { title_ = value; }
    QString Path() const;
    void Path(const QString& value) { path_ = value; }
    QString FileTitle() const;
    void FileTitle(const QString& value) { fileTitle_ = value; }
    QString Filter() const { return filter_; }
    void Filter(const QString& value) { filter_ = value; }
    QString FileName() const;
    void FileName(const QString& value) { fileName_ = value; }

    // Keeps the window that owns every dialog of this object.
    void Init(QWidget* OwnerForm) { owner_ = OwnerForm; }

    // Dialog methods: -1 when the user confirmed (result properties set), 0 otherwise
    // (properties unchanged).
    std::int16_t ShowOpen();
    std::int16_t ShowSave();
    std::int16_t ShowFolder();
    std::int16_t ShowColor(std::int16_t FullOpen);
    std::int16_t ShowFont();
    std::int16_t ShowPrinter();
    std::int16_t ShowPrinterProperties();

private:
    // Takes a confirmed file's name, title and folder; False, changing nothing, on cancel.
    std::int16_t acceptFile(const std::optional<QString>& chosen);

    SystemDialogs& system_;
    QString programFolder_;
    QString fileTitle_;
    QString path_;
    QString filter_;
    QString fileName_;
    std::int32_t color_ = 0;
    QString title_;
    QWidget* owner_ = nullptr;
    QString defExt_;
    QString fontName_;
    std::int16_t fontSize_ = 0;
    std::int16_t fontBold_ = 0;
    std::int16_t fontItalic_ = 0;
    std::int16_t fontUnderline_ = 0;
};

} // namespace dialogs
