# Precompiled headers for the targets whose compiles spend most of their time parsing the same
# system headers: a Qt source parses Qt's headers for nine tenths of its compile, a test the test
# framework's. Headers that change with the project stay out, so a precompiled header only
# rebuilds when the system's headers do. So do standard headers the sources do not already get
# through these: a header forced on a source can change what its calls resolve to (with
# <filesystem> in, an unqualified quoted(text) finds std::quoted by argument lookup).

# ccache only caches a compile that uses a precompiled header when told that the header's
# definitions and time macros need not be checked against the source's.
function(qm_pch_launcher target)
    if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
        set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER
            "${CMAKE_COMMAND};-E;env;CCACHE_SLOPPINESS=pch_defines,time_macros;${CMAKE_CXX_COMPILER_LAUNCHER}")
    endif()
endfunction()

# qm_precompile(TARGET header...): TARGET's sources start with those headers, precompiled once.
function(qm_precompile target)
    target_precompile_headers(${target} PRIVATE ${ARGN})
    qm_pch_launcher(${target})
endfunction()

# qm_reuse_precompiled(TARGET FROM): TARGET's sources use FROM's precompiled header. A compile
# only takes one built with its own definitions and code-generation options (clang refuses
# the others, gcc silently parses the headers again).
function(qm_reuse_precompiled target from)
    target_precompile_headers(${target} REUSE_FROM ${from})
    qm_pch_launcher(${target})
endfunction()

set(qm_qt_core_pch_headers <QCoreApplication> <QDir> <QFile> <QFileInfo> <QJsonArray>
    <QJsonDocument> <QJsonObject> <QProcess> <QSet> <QStandardPaths> <QString> <QStringList>)
set(qm_qt_widgets_pch_headers <QAccessible> <QAccessibleWidget> <QApplication> <QComboBox>
    <QDialog> <QFrame> <QIcon> <QLabel> <QLineEdit> <QMouseEvent> <QProgressBar> <QPushButton>
    <QRadioButton> <QScreen> <QStyle> <QToolButton> <QTreeWidget>)
