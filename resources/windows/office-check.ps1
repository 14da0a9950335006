# Pravik と Word/Excel の確認 (管理者が Office を入れたあとに一度だけ実行します)
#
#   powershell -ExecutionPolicy Bypass -File office-check.ps1
#
# Word と Excel で確認用の文書を作り (パスワード付きの文書とブック、FILLIN
# フィールドのある文書、セクションごとにページ番号を振り直す文書、拡張子が
# .doc の RTF、非表示シートとグラフ シートのあるブック)、このフォルダーの
# pravik.com でファイル出力のプリンターに 1 行ずつ印刷して、次を確かめます。
#   - 元のファイルが変わっていない (ハッシュと更新日時)
#   - 既定のプリンターと Word のオプション (UpdateFieldsAtPrint, PrintBackground) が変わっていない
#   - WINWORD.EXE と EXCEL.EXE が残っていない
#   - どの行も 30 秒以内に終わる
# 確認用のプリンターとポートは終わると削除します。終了コード: 0 すべて合格、
# 1 不合格あり、3 Word または Excel がないため確認できない。
#Requires -RunAsAdministrator
$ErrorActionPreference = 'Stop'

$here = Split-Path -Parent $MyInvocation.MyCommand.Path
$pravik = Join-Path $here 'pravik.com'
$work = Join-Path $env:TEMP ('pravik-office-check-' + (Get-Date -Format 'yyyyMMdd-HHmmss'))
$printerName = 'Pravik 確認用プリンター'
$portFile = Join-Path $work 'printed.prn'
$rowLimit = 30
$failures = New-Object System.Collections.Generic.List[string]

function Fail([string]$text) {
    $failures.Add($text)
    Write-Host "NG  $text" -ForegroundColor Red
}

function Release($object) {
    if ($null -ne $object) { [void][System.Runtime.InteropServices.Marshal]::FinalReleaseComObject($object) }
}

function Registered([string]$progId) {
    return $null -ne [Type]::GetTypeFromProgID($progId)
}

if (-not (Registered 'Word.Application') -or -not (Registered 'Excel.Application')) {
    Write-Host 'Word または Excel がインストールされていないため、確認できません。'
    exit 3
}
if (-not (Test-Path $pravik)) {
    Write-Host "pravik.com が見つかりません: $pravik"
    exit 1
}
New-Item -ItemType Directory -Path $work | Out-Null

# --- 確認用の文書 ---------------------------------------------------------
$word = New-Object -ComObject Word.Application
$word.DisplayAlerts = 0
try {
    $doc = $word.Documents.Add()
    $doc.Content.Text = 'パスワード付きの文書'
    $doc.SaveAs2((Join-Path $work 'password.doc'), 0, $false, 'secret')
    $doc.Close(0); Release $doc

    # Written as RTF and opened: a FILLIN field added in Word would ask at once.
    $rtf = Join-Path $work 'fillin.rtf'
    [System.IO.File]::WriteAllText($rtf, '{\rtf1\ansi Name: {\field{\*\fldinst FILLIN "Name?"}{\fldrslt }}\par}')
    $doc = $word.Documents.Open($rtf)
    $doc.SaveAs2((Join-Path $work 'fillin.doc'), 0)
    $doc.Close(0); Release $doc
    Remove-Item $rtf

    $doc = $word.Documents.Add()
    $doc.Content.Text = '第 1 章'
    foreach ($chapter in 2..3) {
        $end = $doc.Content
        $end.Collapse(0)
        $end.InsertBreak(2) # wdSectionBreakNextPage
        $end = $doc.Content
        $end.Collapse(0)
        $end.InsertAfter("第 $chapter 章")
    }
    foreach ($section in $doc.Sections) {
        $numbers = $section.Footers.Item(1).PageNumbers
        $numbers.RestartNumberingAtSection = $true
        $numbers.StartingNumber = 1
        [void]$numbers.Add(1)
    }
    $doc.SaveAs2((Join-Path $work 'sections.doc'), 0)
    $doc.SaveAs2((Join-Path $work 'rtf.doc'), 6) # wdFormatRTF, under a .doc name
    $doc.Close(0); Release $doc
} finally {
    $word.Quit(0); Release $word
}

$excel = New-Object -ComObject Excel.Application
$excel.DisplayAlerts = $false
try {
    $book = $excel.Workbooks.Add()
    $book.Worksheets.Item(1).Range('A1').Value2 = 'パスワード付きのブック'
    $book.SaveAs((Join-Path $work 'password.xls'), 56, 'secret') # xlExcel8
    $book.Close($false); Release $book

    $book = $excel.Workbooks.Add()
    while ($book.Worksheets.Count -lt 2) { [void]$book.Worksheets.Add() }
    $book.Worksheets.Item(1).Name = '集計'
    $book.Worksheets.Item(1).Range('A1:A3').Value2 = 1
    $book.Worksheets.Item(2).Name = '隠し'
    $book.Worksheets.Item(2).Visible = 0
    $chart = $book.Charts.Add()
    $chart.Name = 'グラフ'
    $chart.SetSourceData($book.Worksheets.Item('集計').Range('A1:A3'))
    Release $chart
    $book.Worksheets.Item('集計').Activate()
    $book.SaveAs((Join-Path $work 'sheets.xls'), 56)
    $book.Close($false); Release $book
} finally {
    $excel.Quit(); Release $excel
}
[GC]::Collect(); [GC]::WaitForPendingFinalizers()

# --- 印刷の前の状態 -------------------------------------------------------
function DefaultPrinter { (Get-CimInstance Win32_Printer | Where-Object Default).Name }
function WordOptions {
    $w = New-Object -ComObject Word.Application
    try { return '{0}/{1}' -f $w.Options.UpdateFieldsAtPrint, $w.Options.PrintBackground }
    finally { $w.Quit(0); Release $w; [GC]::Collect(); [GC]::WaitForPendingFinalizers() }
}
function OfficeProcesses { @(Get-Process WINWORD, EXCEL -ErrorAction SilentlyContinue | ForEach-Object Id) }
function Fingerprint([string]$path) {
    $item = Get-Item $path
    return '{0} {1}' -f (Get-FileHash $path -Algorithm SHA256).Hash, $item.LastWriteTimeUtc.Ticks
}

Add-PrinterDriver -Name 'Generic / Text Only'
Remove-Printer -Name $printerName -ErrorAction SilentlyContinue # left by a check cut short
Add-PrinterPort -Name $portFile
Add-Printer -Name $printerName -DriverName 'Generic / Text Only' -PortName $portFile
try {
    $defaultBefore = DefaultPrinter
    $optionsBefore = WordOptions
    Start-Sleep -Seconds 3
    $officeBefore = OfficeProcesses
    $sources = Get-ChildItem $work -Filter '*.*' | Where-Object { $_.Extension -in '.doc', '.xls' }
    $fingerprints = @{}
    foreach ($file in $sources) { $fingerprints[$file.FullName] = Fingerprint $file.FullName }

    # 行: ファイル, ページまたはシート, 期待する結果 (空: どちらでもよい)
    $rows = @(
        @('password.doc', '', 'failed'),
        @('fillin.doc', '', ''),
        @('sections.doc', '', 'printed'),
        @('sections.doc', '"2-3"', 'printed'),
        @('rtf.doc', '', 'printed'),
        @('password.xls', '', 'failed'),
        @('sheets.xls', '', 'printed'),
        @('sheets.xls', '"集計","グラフ"', 'printed'),
        @('sheets.xls', '"隠し"', 'failed')
    )
    $cp932 = [System.Text.Encoding]::GetEncoding(932)
    $list = Join-Path $work 'row.lst'
    foreach ($row in $rows) {
        $name, $pages, $expected = $row
        $path = Join-Path $work $name
        # 7 行で 1 件: 表示名, メモ, ページ/シート, 拡張子, 部数, プリンター, パス (CP932, CR LF)
        $fields = @($name, '', $pages, $name.Split('.')[-1], '1', $printerName, $path)
        [System.IO.File]::WriteAllText($list, (($fields | ForEach-Object { "$_`r`n" }) -join ''), $cp932)
        $watch = [System.Diagnostics.Stopwatch]::StartNew()
        # The deadline leaves room for the 5 seconds a stuck Word gets to end.
        $output = & $pravik --print $list --timeout 20 | Out-String
        $seconds = [int]$watch.Elapsed.TotalSeconds
        $result = if ($output -match '(?m)^(printed|failed|skipped)\t') { $Matches[1] } else { '(結果なし)' }
        Write-Host ('{0,-14} {1,-18} {2,-8} {3} 秒' -f $name, $pages, $result, $seconds)
        if ($seconds -ge $rowLimit) { Fail "$name $pages に $seconds 秒かかりました" }
        if ($expected -and $result -ne $expected) { Fail "$name $pages は $expected のはずが $result でした: $output" }
    }

    # --- 印刷の後の状態 ---------------------------------------------------
    foreach ($path in $fingerprints.Keys) {
        if ((Fingerprint $path) -ne $fingerprints[$path]) { Fail "$path が変更されました" }
    }
    if ((DefaultPrinter) -ne $defaultBefore) { Fail "既定のプリンターが $defaultBefore から $(DefaultPrinter) に変わりました" }
    $deadline = (Get-Date).AddSeconds(10)
    do {
        $left = @(OfficeProcesses | Where-Object { $_ -notin $officeBefore })
        if ($left.Count -eq 0) { break }
        Start-Sleep -Milliseconds 500
    } while ((Get-Date) -lt $deadline)
    if ($left.Count -gt 0) { Fail "Word または Excel のプロセスが残っています: $($left -join ', ')" }
    $optionsAfter = WordOptions
    if ($optionsAfter -ne $optionsBefore) { Fail "Word のオプションが $optionsBefore から $optionsAfter に変わりました" }
} finally {
    Remove-Printer -Name $printerName -ErrorAction SilentlyContinue
    Remove-PrinterPort -Name $portFile -ErrorAction SilentlyContinue
}

if ($failures.Count -gt 0) {
    Write-Host "不合格 $($failures.Count) 件。確認用の文書は $work に残してあります。"
    exit 1
}
Remove-Item -Recurse -Force $work
Write-Host '合格: 元のファイル、既定のプリンター、Word のオプションは変わらず、Word と Excel は残らず、どの行も 30 秒以内に終わりました。'
exit 0
