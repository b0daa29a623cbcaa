# cmake -DDIRS="a;b" [-DSTAMP=file] -P CheckNoWidgets.cmake
# Fails when a source under the given folders includes a header of Qt Widgets, Gui, Charts,
# Print Support or Svg: those folders are the libraries that must run without a window.
set(forbidden_modules "QtWidgets|QtGui|QtCharts|QtPrintSupport|QtSvg|QtSvgWidgets|QtOpenGL")
set(forbidden_classes
  "QWidget|QDialog|QApplication|QGuiApplication|QMainWindow|QMessageBox|QAction|QMenu|QMenuBar"
  "|QLabel|QPrinter|QPrintDialog|QPainter|QPixmap|QImage|QIcon|QFont|QColor|QScreen|QClipboard"
  "|QChart[A-Za-z]*|QSvg[A-Za-z]*|Q[A-Za-z]*(Widget|Box|Edit|Button|Bar|Delegate)"
  "|Q(List|Table|Tree|Column|Header|Graphics|AbstractItem|Chart)View")
string(JOIN "" forbidden_classes ${forbidden_classes})
set(pattern "#[ \t]*include[ \t]*[<\"](((${forbidden_modules})/[A-Za-z_.]*)|(${forbidden_modules})|(${forbidden_classes}))[>\"]")

set(offenders "")
foreach(dir IN LISTS DIRS)
  file(GLOB_RECURSE sources "${dir}/*.h" "${dir}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "${pattern}")
    foreach(line IN LISTS lines)
      string(APPEND offenders "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(offenders)
  message(FATAL_ERROR "Window headers in code that must run without a window:${offenders}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
