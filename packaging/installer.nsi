; The Windows installer. packaging/windows-installer runs makensis on this script with
; the release's names and version defined (PRODUCT, MAKER, FILE_NAME, VERSION), STAGE (the
; staged Windows release: x86\, x64\, shared bundles, documents), OUTPUT, and FORMATS: a
; script it writes from packaging/formats and the stage, defining the macros FormatPages,
; FormatSections, FormatOptions and FormatRemovals from the placing macros below, and
; PlaceDocuments and RemoveDocuments for the documents at the stage's top.
;
; Whatever the installer puts somewhere is noted in its uninstall key: the folder each
; format went to and every folder it had to make. The uninstaller deletes the files of each
; noted format from its folder and then removes the folders the installer made, deepest
; first and only when empty, so that shared folders and other plug-ins stay.
;
; Command line: /S (silent), /D=FOLDER (the program's folder, last), /NO<ID> to leave out
; a format (/NOVST2, /NOCLAP, ...) or /NOTOOLS for the render host and guide, and
; /<ID>DIR64=FOLDER /<ID>DIR32=FOLDER for the formats whose folders the user chooses,
; quoted or not.
Unicode true
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${FILE_NAME}"

Name "${PRODUCT}"
OutFile "${OUTPUT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; Files keep the time of installing, not of the stage, so that the same release gives the same installer.
SetDateSave off
ManifestDPIAware true
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "${MAKER}"

; Common Files as the plug-ins' hosts see it: the 64-bit one on 64-bit Windows.
Var common_files
; The command line without quotes, so that an option reads the same whether the program
; that started the installer quoted the whole option ("/VST2DIR64=C:\My Plug-ins") or
; only its value (/VST2DIR64="C:\My Plug-ins"); a value ends at the next slash.
Var options

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "The render host and the user's guide go into this folder, with the uninstaller."
!insertmacro MUI_PAGE_DIRECTORY

; --- Placing. Every macro below takes the format's own PLACE and REMOVE macros, which the
; generator writes from the staged files: PLACE FOLDER puts the file or bundle into FOLDER,
; REMOVE FOLDER deletes exactly those files and the bundle's own folders.

; Makes the folder on the stack and the ones above it that are missing, noting each one
; made in the uninstall key (MadeFolder0, MadeFolder1, ...; parents before children).
Function MakeFolder
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R2 0
  StrCpy $R1 $R0
  ${DoWhile} $R1 != ""
    ${IfThen} ${FileExists} "$R1\*.*" ${|} ${ExitDo} ${|}
    Push $R1
    IntOp $R2 $R2 + 1
    ${GetParent} $R1 $R1
  ${Loop}
  ${DoWhile} $R2 > 0
    Pop $R3
    CreateDirectory $R3
    ReadRegDWORD $R1 HKLM "${UNINSTALL_KEY}" MadeFolders
    IntOp $R1 $R1 + 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "MadeFolder$R1" $R3
    IntOp $R1 $R1 + 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" MadeFolders $R1
    IntOp $R2 $R2 - 1
  ${Loop}
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

!macro MakeFolder FOLDER
  Push "${FOLDER}"
  Call MakeFolder
!macroend

; PLACE into FOLDER, noted in the uninstall key's value NOTE.
!macro PlaceInto PLACE FOLDER NOTE
  !insertmacro MakeFolder "${FOLDER}"
  !insertmacro ${PLACE} "${FOLDER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${NOTE}" "${FOLDER}"
!macroend

; REMOVE from the folder noted in NOTE, if the installer noted one.
!macro RemoveFromNoted REMOVE NOTE
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "${NOTE}"
  ${If} $R0 != ""
    !insertmacro ${REMOVE} $R0
  ${EndIf}
!macroend

; chosen: each architecture's file into a folder the user picks (the 64-bit one only on
; 64-bit Windows), by default DEFAULT in that architecture's Program Files.
!macro ChosenFolderPages ID TITLE FOLDER64 FOLDER32
  !define MUI_PAGE_CUSTOMFUNCTION_PRE ${ID}_skip64
  !define MUI_DIRECTORYPAGE_VARIABLE ${FOLDER64}
  !define MUI_DIRECTORYPAGE_TEXT_TOP "The 64-bit ${TITLE} plug-in goes into this folder: choose the one your 64-bit hosts scan for ${TITLE} plug-ins."
  !define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder for 64-bit ${TITLE} plug-ins"
  !insertmacro MUI_PAGE_DIRECTORY
  !define MUI_PAGE_CUSTOMFUNCTION_PRE ${ID}_skip32
  !define MUI_DIRECTORYPAGE_VARIABLE ${FOLDER32}
  !define MUI_DIRECTORYPAGE_TEXT_TOP "The 32-bit ${TITLE} plug-in goes into this folder: choose the one your 32-bit hosts scan for ${TITLE} plug-ins."
  !define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder for 32-bit ${TITLE} plug-ins"
  !insertmacro MUI_PAGE_DIRECTORY
!macroend

!macro ChosenSection ID TITLE FOLDER64 FOLDER32 PLACE64 PLACE32
  Section "${TITLE}" section_${ID}
    ${If} ${RunningX64}
      !insertmacro PlaceInto ${PLACE64} ${FOLDER64} ${ID}Folder64
    ${EndIf}
    !insertmacro PlaceInto ${PLACE32} ${FOLDER32} ${ID}Folder32
  SectionEnd
  ; The pages of the folders are shown only for a chosen section, the 64-bit one only on
  ; 64-bit Windows.
  Function ${ID}_skip64
    ${IfNot} ${RunningX64}
    ${OrIfNot} ${SectionIsSelected} ${section_${ID}}
      Abort
    ${EndIf}
  FunctionEnd
  Function ${ID}_skip32
    ${IfNot} ${SectionIsSelected} ${section_${ID}}
      Abort
    ${EndIf}
  FunctionEnd
!macroend

; The defaults, then what the command line says: /<ID>DIR64= and /<ID>DIR32=.
!macro ChosenOptions OPTION DEFAULT FOLDER64 FOLDER32
  ${If} ${RunningX64}
    StrCpy ${FOLDER64} "$PROGRAMFILES64\${DEFAULT}"
    StrCpy ${FOLDER32} "$PROGRAMFILES32\${DEFAULT}"
  ${Else}
    StrCpy ${FOLDER32} "$PROGRAMFILES\${DEFAULT}"
  ${EndIf}
  ClearErrors
  ${GetOptions} $options "/${OPTION}DIR64=" $R0
  ${IfNot} ${Errors}
    StrCpy ${FOLDER64} $R0
  ${EndIf}
  ClearErrors
  ${GetOptions} $options "/${OPTION}DIR32=" $R0
  ${IfNot} ${Errors}
    StrCpy ${FOLDER32} $R0
  ${EndIf}
!macroend

!macro ChosenRemovals ID REMOVE
  !insertmacro RemoveFromNoted ${REMOVE} ${ID}Folder64
  !insertmacro RemoveFromNoted ${REMOVE} ${ID}Folder32
!macroend

; native: the file of Windows' own architecture into Common Files\FOLDER.
!macro NativeSection ID TITLE FOLDER PLACE64 PLACE32
  Section "${TITLE}" section_${ID}
    ${If} ${RunningX64}
      !insertmacro PlaceInto ${PLACE64} "$common_files\${FOLDER}" ${ID}Folder
    ${Else}
      !insertmacro PlaceInto ${PLACE32} "$common_files\${FOLDER}" ${ID}Folder
    ${EndIf}
  SectionEnd
!macroend

; shared: the one source, for both architectures, into Common Files\FOLDER; on 64-bit
; Windows also into the 32-bit Common Files, which is where 32-bit hosts look.
!macro SharedSection ID TITLE FOLDER PLACE
  Section "${TITLE}" section_${ID}
    !insertmacro PlaceInto ${PLACE} "$common_files\${FOLDER}" ${ID}Folder
    ${If} ${RunningX64}
      !insertmacro PlaceInto ${PLACE} "$COMMONFILES32\${FOLDER}" ${ID}Folder32
    ${EndIf}
  SectionEnd
!macroend

!macro NotedRemovals ID REMOVE
  !insertmacro RemoveFromNoted ${REMOVE} ${ID}Folder
!macroend

!macro SharedRemovals ID REMOVE
  !insertmacro RemoveFromNoted ${REMOVE} ${ID}Folder
  !insertmacro RemoveFromNoted ${REMOVE} ${ID}Folder32
!macroend

; /NO<ID> leaves the section out.
!macro ComponentOption SECTION OPTION
  ClearErrors
  ${GetOptions} $options "/NO${OPTION}" $R0
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SECTION}
  ${EndIf}
!macroend

!include "${FORMATS}"

!insertmacro FormatPages
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- Installing.

; The uninstaller and the entry in the list of installed programs come first, so that
; whatever follows is noted in the entry's key.
Section "-Uninstaller"
  !insertmacro MakeFolder "$INSTDIR"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

; The render host of each architecture Windows runs, in x64\ and x86\ as in the zip, with
; the documents.
Section "Render host and user's guide" section_tools
  SetOutPath "$INSTDIR"
  !insertmacro PlaceDocuments
  ${If} ${RunningX64}
    !insertmacro MakeFolder "$INSTDIR\x64"
    SetOutPath "$INSTDIR\x64"
    File "${STAGE}/x64/velvetine-render.exe"
  ${EndIf}
  !insertmacro MakeFolder "$INSTDIR\x86"
  SetOutPath "$INSTDIR\x86"
  File "${STAGE}/x86/velvetine-render.exe"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" Tools 1
SectionEnd

!insertmacro FormatSections

; What the chosen sections take, for the list of installed programs.
Section "-Size"
  StrCpy $R0 0
  StrCpy $R1 0
  ClearErrors
  ${Do}
    SectionGetFlags $R1 $R2
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    ${If} ${SectionIsSelected} $R1
      SectionGetSize $R1 $R2
      IntOp $R0 $R0 + $R2
    ${EndIf}
    IntOp $R1 $R1 + 1
  ${Loop}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $R0
SectionEnd

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $common_files $COMMONFILES64
    ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}" ${|}
  ${Else}
    StrCpy $common_files $COMMONFILES
    ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}" ${|}
  ${EndIf}
  ${WordReplace} $CMDLINE '"' "" "+" $options
  !insertmacro ComponentOption ${section_tools} TOOLS
  !insertmacro FormatOptions
FunctionEnd

; --- Uninstalling.

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" Tools
  ${If} $R0 == 1
    !insertmacro RemoveDocuments $INSTDIR
    Delete "$INSTDIR\x64\velvetine-render.exe"
    Delete "$INSTDIR\x86\velvetine-render.exe"
  ${EndIf}
  !insertmacro FormatRemovals
  Delete "$INSTDIR\uninstall.exe"
  ; The folders the installer made, children before their parents, each only if empty.
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" MadeFolders
  IntOp $R0 $R0 + 0
  ${DoWhile} $R0 > 0
    IntOp $R0 $R0 - 1
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "MadeFolder$R0"
    ${IfThen} $R1 != "" ${|} RMDir $R1 ${|}
  ${Loop}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
