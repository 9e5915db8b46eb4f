# The folders whose sources make the core library (QtCore only), each listing its own with
# target_sources(tavrin_core ...). The program's build and the fuzz build both read this list.
set(TAVRIN_CORE_FOLDERS
    common
    platform
    picture
    mail
    mainwindow/model
)
