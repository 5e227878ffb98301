; The Zorvel installer. Built on Linux by scripts/package with makensis:
;   makensis -DVERSION=2.01 -DVERSION_QUAD=2.1.0.0 -DSTAGE=<folder> -DICON=<zorvel.ico> -DOUTFILE=<exe> zorvel.nsi
; STAGE holds everything that lands in the installation folder; Common.ini is
; the one settings file there, and it is installed only where none exists.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Zorvel"
!define PUBLISHER "ЗОРВЕЛ"
!define WEB "http://www.zorvel.example"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvel"

Name "${PRODUCT} ${VERSION}"
Caption "Установка ${PRODUCT} ${VERSION}"
UninstallCaption "Удаление ${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; An earlier installation is upgraded where it is.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы ${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\zorvel.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

; Shortcuts for every user of the computer, as the program is installed for all.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Программа" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\zorvel.exe"
  File "${STAGE}\*.dll"
  File "${STAGE}\*.bmp"
!if /FileExists "${STAGE}\Zorvel.pdf"
  File "${STAGE}\Zorvel.pdf"
!endif
  ; The operator's settings survive an upgrade: only a missing file is added.
  SetOverwrite off
  File "${STAGE}\Common.ini"
  SetOverwrite on

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\zorvel.exe"
!if /FileExists "${STAGE}\Zorvel.pdf"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Руководство оператора.lnk" "$INSTDIR\Zorvel.pdf"
!endif
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Удалить ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section /o "Ярлык на рабочем столе" SectionDesktop
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\zorvel.exe"
SectionEnd

; The files the program and its transports keep their settings in.
!macro SettingsFiles operation
  !insertmacro ${operation} "Common.ini"
  !insertmacro ${operation} "Zorvel.ini"
  !insertmacro ${operation} "CSD_Numbers.ini"
  !insertmacro ${operation} "COM.ini"
  !insertmacro ${operation} "FTD.ini"
  !insertmacro ${operation} "TCP.ini"
  !insertmacro ${operation} "GSM.ini"
  !insertmacro ${operation} "RFM.ini"
!macroend
!macro CountIfPresent name
  ${If} ${FileExists} "$INSTDIR\${name}"
    IntOp $0 $0 + 1
  ${EndIf}
!macroend
!macro DeleteSettings name
  Delete "$INSTDIR\${name}"
!macroend

Section "Uninstall"
  Delete "$INSTDIR\zorvel.exe"
  Delete "$INSTDIR\ravlo.dll"
  Delete "$INSTDIR\COM.dll"
  Delete "$INSTDIR\FTD.dll"
  Delete "$INSTDIR\GSM.dll"
  Delete "$INSTDIR\RFM.dll"
  Delete "$INSTDIR\About.bmp"
  Delete "$INSTDIR\Manufacturer.bmp"
  Delete "$INSTDIR\Scheme*.bmp"
  Delete "$INSTDIR\Zorvel.pdf"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The settings go only when the operator says so; a silent uninstall keeps them.
  StrCpy $0 0
  !insertmacro SettingsFiles CountIfPresent
  ${If} $0 > 0
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Удалить также файлы настроек программы (Common.ini, Zorvel.ini, COM.ini и другие)?$\r$\n$\r$\nНажмите «Нет», чтобы сохранить их для следующей установки." \
      /SD IDNO IDNO keep_settings
    !insertmacro SettingsFiles DeleteSettings
  keep_settings:
  ${EndIf}
  ; Only an empty folder is removed: kept settings and the operator's own files stay.
  RMDir "$INSTDIR"
SectionEnd
