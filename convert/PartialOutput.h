#pragma once
// What a page's place held before the host was asked to write the page, so that a write that
// fails can take away what it left there: a stray page, supporting files and the host's
// temporary files. What was there before stays.

#include <QSet>
#include <QString>

namespace convert {

class PartialOutput {
public:
    // Looks at `pagePath`, the folder "<page name>_files" beside it and the folder they are in.
    explicit PartialOutput(const QString& pagePath);

    // Removes what appeared at those places since; the supporting folder too when it is new
    // and left empty. Only to be called once the host has ended.
    void removeAdded() const;

private:
    QString page_;
    QString folder_;     // the page's folder
    QString supporting_; // "<page name>_files" in it
    bool pageExisted_ = false;
    bool supportingExisted_ = false;
    QSet<QString> inFolder_, inSupporting_;
};

} // namespace convert
