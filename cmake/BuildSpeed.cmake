# How the build is kept short.

# Precompiled Qt headers. Under the sanitizers a source file spends a third of its compile time
# parsing Qt's headers again; each list below is parsed once per library and once for all the test
# programs, whose targets reuse it (a reused header needs the same compile options and Qt modules,
# hence one for the core, one for the windows and one each for the two kinds of test program).
option(KESTREL_PCH "Precompile the Qt headers the sources use most" ON)

set(KESTREL_PCH_CORE <QByteArray> <QDate> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QRegularExpression>
    <QSqlDatabase> <QSqlError> <QSqlQuery> <QSqlRecord> <QString> <QStringList> <QVariant>)
set(KESTREL_PCH_GUI <QAction> <QApplication> <QCheckBox> <QColor> <QComboBox> <QDateEdit> <QDialog>
    <QGridLayout> <QGroupBox> <QHBoxLayout> <QHeaderView> <QIcon> <QKeyEvent> <QLabel> <QLineEdit>
    <QMouseEvent> <QPainter> <QPushButton> <QTabWidget> <QTableWidget> <QToolButton> <QVBoxLayout>
    <QWidget>)
set(KESTREL_PCH_TEST <QTemporaryDir> <QTest>)

# kestrel_precompile(TARGET HEADERS...) or kestrel_precompile(TARGET REUSE_FROM OTHER)
function(kestrel_precompile target)
    if(NOT KESTREL_PCH)
        return()
    endif()
    if(ARGV1 STREQUAL "REUSE_FROM")
        target_precompile_headers(${target} REUSE_FROM ${ARGV2})
    else()
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()

# Unity build of the libraries: several sources compiled as one, so that the Qt templates they all
# use are instantiated and instrumented once per batch instead of once per file (the test run turns
# it on; a developer's build keeps one object per source for quick rebuilds). Helpers of the same
# name and parameters in the anonymous namespaces of two sources cannot share a batch: the second
# source of each such pair is compiled on its own.
option(KESTREL_UNITY_BUILD "Compile the libraries' sources in batches" OFF)
set(KESTREL_UNITY_ALONE src/finance/GetPayForm.cpp src/customers/CustomerForm.cpp
    src/customers/CustomerForm2.cpp src/kit/report/ReportEngine.cpp src/kit/report/ReportDesigner.cpp
    src/kit/report/ReportPreview.cpp src/mainwindow/WindowPlace.cpp)

function(kestrel_unity target)
    if(KESTREL_UNITY_BUILD)
        set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    endif()
endfunction()
if(KESTREL_UNITY_BUILD)
    list(TRANSFORM KESTREL_UNITY_ALONE PREPEND ${CMAKE_SOURCE_DIR}/)
    set_source_files_properties(${KESTREL_UNITY_ALONE} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endif()
