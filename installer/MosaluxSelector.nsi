; The per-user installer of Mosalux Selector: no administrator rights, installed into the user's own
; programs folder, where the program may write its selection file, saved screens and converted
; wallpaper beside itself. Made by ./release with Debian's makensis:
;   makensis -DVERSION=2.0.4b -DSOURCE=<folder with the programs> -DOUTFILE=<setup.exe> MosaluxSelector.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef SOURCE
  !error "SOURCE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "MosaluxSelector-${VERSION}-setup.exe"
!endif

!define PRODUCT "Mosalux Selector"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MosaluxSelector"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${SOURCE}\mxselect.ico"
UninstallIcon "${SOURCE}\mxselect.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.0.4.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Kelbrant"
VIAddVersionKey "LegalCopyright" "Kelbrant"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage instfiles

Section "Install"
  SetShellVarContext current
  ; A randomizer that stays running holds its program file: it is ended first (its --exit gives 0
  ; when it ended one; earlier versions know no --exit) and started again afterwards.
  StrCpy $1 ""
  IfFileExists "$INSTDIR\MXRandom.exe" 0 replace
    ExecWait '"$INSTDIR\MXRandom.exe" --exit' $1
  replace:
  SetOutPath "$INSTDIR"
  ; Only the programs are replaced: the user's MXDATA.MXD and saved screens stay as they are.
  File "${SOURCE}\MXSelect.exe"
  File "${SOURCE}\MXRandom.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The selector and the next wallpaper in a folder of their own; earlier versions had the selector's
  ; shortcut alone.
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\MXSelect.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Next Wallpaper.lnk" "$INSTDIR\MXRandom.exe" "--next"
  StrCmp $1 "0" 0 +2
    Exec '"$INSTDIR\MXRandom.exe" --resident'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kelbrant"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\MXSelect.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The program's own uninstall first: its question, the randomizer that stays running ended, the
  ; original screens put back, its registry entries removed. Declined or failed, nothing is removed
  ; here either.
  ExecWait '"$INSTDIR\MXSelect.exe" /u' $0
  IfErrors 0 +3
    DetailPrint "MXSelect.exe could not be started."
    Abort "Mosalux Selector was not uninstalled."
  ; Declined, or the program's own uninstall failed: nothing was removed, and the uninstaller ends
  ; at once (ended by Abort, it would stay on a finished page that only Cancel closes).
  StrCmp $0 "0" +3
    SetErrorLevel 2
    Quit

  Delete "$INSTDIR\MXSelect.exe"
  Delete "$INSTDIR\MXRandom.exe"
  Delete "$INSTDIR\MXRandom.log"
  Delete "$INSTDIR\MXRandom.cache"
  Delete "$INSTDIR\MXDATA.MXD"
  Delete "$INSTDIR\@MX!BACK.BMP"
  ; What writes broken off left behind: the temporary files of the lists and of the wallpaper, and
  ; the names that earlier versions used for them.
  Delete "$INSTDIR\~MXD??????"
  Delete "$INSTDIR\~@MX!B??????"
  Delete "$INSTDIR\~MXRando??????"
  Delete "$INSTDIR\~MXDATA.MXD.*.tmp"
  Delete "$INSTDIR\~@MX!BACK.BMP.*.tmp"
  Delete "$INSTDIR\~MXDATA.MXD"
  Delete "$INSTDIR\~@MX!BACK.BMP"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Next Wallpaper.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; A saved screen that could not be put back stays, and the user is told where.
  FindFirst $1 $2 "$INSTDIR\*.bck"
  StrCmp $2 "" done
    FindClose $1
    MessageBox MB_ICONINFORMATION|MB_OK "Saved boot screens that could not be put back were left in $INSTDIR." /SD IDOK
    Goto end
  done:
  FindClose $1
  RMDir "$INSTDIR"
  end:
SectionEnd
