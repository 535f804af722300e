# Qt's and the standard library's headers, parsed once per library rather than
# once per file: most of a file's compile time went into them. Executables
# reuse the headers of the library they are built on.
option(CORVANE_PCH "Precompile the Qt and standard library headers" ON)

set(CORVANE_PCH_CORE
    <algorithm> <functional> <memory> <optional> <vector>
    <QByteArray> <QCoreApplication> <QDate> <QDateTime> <QDir> <QFile> <QFileInfo>
    <QHash> <QList> <QObject> <QString> <QStringList> <QTimer> <QVariant>)
set(CORVANE_PCH_WIDGETS
    <QAction> <QApplication> <QComboBox> <QDialog> <QHBoxLayout> <QHeaderView> <QLabel>
    <QLineEdit> <QMenu> <QPushButton> <QTableView> <QVBoxLayout> <QWidget>)

# corvane_precompile(target [WIDGETS]): the target's own precompiled headers.
function(corvane_precompile target)
    cmake_parse_arguments(P "WIDGETS" "" "" ${ARGN})
    if(NOT CORVANE_PCH)
        return()
    endif()
    set(headers ${CORVANE_PCH_CORE})
    if(P_WIDGETS)
        list(APPEND headers ${CORVANE_PCH_WIDGETS})
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# corvane_reuse_precompiled(target): the headers of corvane_gui when the target
# links it, else those of corvane_core.
function(corvane_reuse_precompiled target)
    if(NOT CORVANE_PCH)
        return()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    if(corvane_gui IN_LIST links)
        target_precompile_headers(${target} REUSE_FROM corvane_gui)
    else()
        target_precompile_headers(${target} REUSE_FROM corvane_core)
    endif()
endfunction()

# Every library and executable of the calling folder reuses the headers.
function(corvane_reuse_precompiled_here)
    get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "UTILITY")
            corvane_reuse_precompiled(${target})
        endif()
    endforeach()
endfunction()
