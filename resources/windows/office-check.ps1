# Pravik と Word/Excel の確認 (管理者が Office を入れたあとに一度だけ実行します)
#
#   powershell -ExecutionPolicy Bypass -File office-check.ps1
#
# Word と Excel で確認用の文書を作り、このフォルダーの pravik.com で 1 つの
# リストを 1 回で印刷します (Word と Excel の行が交互に続くので、先に起動される
# サーバー、その見分け、引き渡し、2 回続けて期限を超えたときの規則も通ります)。
# 行ごとにテキスト出力のプリンターを 1 台ずつ作り、その出力の改ページの数を、
# 行が求めるページ数と比べます。ほかに次を確かめます。
#   - 元のファイルが変わっていない (ハッシュと更新日時)
#   - 既定のプリンターと Word のオプション (UpdateFieldsAtPrint, PrintBackground) が変わっていない
#   - この利用者の WINWORD.EXE と EXCEL.EXE が残っていない
#   - 利用者が開いていた Word の未保存の文書が、その文字のまま残っている
#   - FILLIN フィールドの文書が 30 秒以内に印刷され、どの行も 30 秒以内に終わる
#   - 開くときのマクロ (AutoOpen) が実行されない
# 設定ファイルはこの確認用のものを --ini で渡します (サイトの main.ini は
# 読みません)。確認用のプリンターとポートは終わると削除します。
# 終了コード: 0 すべて合格、1 不合格あり、3 Word または Excel がないため確認できない。
#Requires -RunAsAdministrator
$ErrorActionPreference = 'Stop'

$here = Split-Path -Parent $MyInvocation.MyCommand.Path
$pravik = Join-Path $here 'pravik.com'
$work = Join-Path $env:TEMP ('pravik-office-check-' + (Get-Date -Format 'yyyyMMdd-HHmmss'))
$printerPrefix = 'Pravik 確認用'
$rowLimit = 30
$makeLimit = 180 # seconds for Word and Excel to make the documents
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

# Word and Excel of this user only: a terminal server runs many users'.
function OfficeProcesses {
    @(Get-CimInstance Win32_Process -Filter "Name='WINWORD.EXE' or Name='EXCEL.EXE'" |
        Where-Object { (Invoke-CimMethod -InputObject $_ -MethodName GetOwner).User -eq $env:USERNAME } |
        ForEach-Object ProcessId)
}

# --- 確認用の文書 (別のプロセスで作り、時間を区切ります) ------------------
$make = Start-Job -ArgumentList $work -ScriptBlock {
    param($work)
    $ErrorActionPreference = 'Stop'
    function Release($object) {
        if ($null -ne $object) { [void][System.Runtime.InteropServices.Marshal]::FinalReleaseComObject($object) }
    }
    $made = @()
    $word = New-Object -ComObject Word.Application
    $word.DisplayAlerts = 0
    try {
        $doc = $word.Documents.Add()
        $doc.Content.Text = 'パスワード付きの文書'
        $doc.SaveAs2((Join-Path $work 'password.doc'), 0, $false, 'secret')
        $doc.Close(0); Release $doc

        $doc = $word.Documents.Add()
        $doc.Content.Text = '書き込みにパスワードが要る文書'
        $doc.SaveAs2((Join-Path $work 'modify.doc'), 0, $false, '', $true, 'secret')
        $doc.Close(0); Release $doc

        $doc = $word.Documents.Add()
        $doc.Content.Text = '読み取り専用を推奨する文書'
        $doc.SaveAs2((Join-Path $work 'recommended.doc'), 0, $false, '', $true, '', $true)
        $doc.Close(0); Release $doc

        $doc = $word.Documents.Add()
        $doc.Content.Text = 'インターネットから取得した文書'
        $doc.SaveAs2((Join-Path $work 'downloaded.doc'), 0)
        $doc.Close(0); Release $doc

        # Written as RTF and opened: a FILLIN field added in Word would ask at once.
        $rtf = Join-Path $work 'fillin.rtf'
        [System.IO.File]::WriteAllText($rtf, '{\rtf1\ansi Name: {\field{\*\fldinst FILLIN "Name?"}{\fldrslt }}\par}')
        $doc = $word.Documents.Open($rtf)
        $doc.SaveAs2((Join-Path $work 'fillin.doc'), 0)
        $doc.Close(0); Release $doc
        Remove-Item $rtf

        # Three pages, and the same three numbered from 5.
        foreach ($name in 'pages.doc', 'from5.doc') {
            $doc = $word.Documents.Add()
            $doc.Content.Text = '1 ページ目'
            foreach ($page in 2..3) {
                $end = $doc.Content
                $end.Collapse(0)
                $end.InsertBreak(7) # wdPageBreak
                $end = $doc.Content
                $end.Collapse(0)
                $end.InsertAfter("$page ページ目")
            }
            if ($name -eq 'from5.doc') {
                $numbers = $doc.Sections.Item(1).Footers.Item(1).PageNumbers
                $numbers.RestartNumberingAtSection = $true
                $numbers.StartingNumber = 5
                [void]$numbers.Add(1)
            }
            $doc.SaveAs2((Join-Path $work $name), 0)
            $doc.Close(0); Release $doc
        }

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

        # Needs "trust access to the VBA project"; left out where it is off.
        try {
            $doc = $word.Documents.Add()
            $doc.Content.Text = 'マクロ付きの文書'
            $doc.VBProject.VBComponents.Item(1).CodeModule.AddFromString(
                "Sub AutoOpen()`r`n    ActiveDocument.Content.InsertAfter ""MACRO-RAN""`r`nEnd Sub")
            $doc.SaveAs2((Join-Path $work 'macro.doc'), 0)
            $made += 'macro.doc'
        } catch {
        } finally {
            if ($null -ne $doc) { $doc.Close(0); Release $doc }
        }
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
        $book.Worksheets.Item(2).Range('A1').Value2 = 'hidden'
        $book.Worksheets.Item(2).Visible = 0
        $chart = $book.Charts.Add()
        $chart.Name = 'グラフ'
        $chart.SetSourceData($book.Worksheets.Item('集計').Range('A1:A3'))
        Release $chart
        $book.Worksheets.Item('集計').Activate()
        $book.SaveAs((Join-Path $work 'sheets.xls'), 56)
        $book.Close($false); Release $book

        $book = $excel.Workbooks.Add()
        $book.Worksheets.Item(1).Name = '空'
        $book.SaveAs((Join-Path $work 'empty-sheet.xls'), 56)
        $book.Close($false); Release $book
    } finally {
        $excel.Quit(); Release $excel
    }
    [GC]::Collect(); [GC]::WaitForPendingFinalizers()
    $made
}
if (-not (Wait-Job $make -Timeout $makeLimit)) {
    Stop-Job $make
    Fail "Word と Excel が $makeLimit 秒以内に確認用の文書を作れませんでした (初回の設定画面などが出ていないか確かめてください)"
    Write-Host "確認用の文書は $work にあります。"
    exit 1
}
$made = @(Receive-Job $make)
Remove-Job $make
# A file from the internet, as a browser marks it.
Set-Content -Path (Join-Path $work 'downloaded.doc') -Stream 'Zone.Identifier' -Value "[ZoneTransfer]`r`nZoneId=3"
[System.IO.File]::WriteAllBytes((Join-Path $work 'zero.doc'), [byte[]]@())

# --- 印刷の前の状態 -------------------------------------------------------
function DefaultPrinter { (Get-CimInstance Win32_Printer | Where-Object Default).Name }
function WordOptions {
    $w = New-Object -ComObject Word.Application
    try { return '{0}/{1}' -f $w.Options.UpdateFieldsAtPrint, $w.Options.PrintBackground }
    finally { $w.Quit(0); Release $w; [GC]::Collect(); [GC]::WaitForPendingFinalizers() }
}
function Fingerprint([string]$path) {
    $item = Get-Item $path
    return '{0} {1}' -f (Get-FileHash $path -Algorithm SHA256).Hash, $item.LastWriteTimeUtc.Ticks
}

# 行: ファイル, ページまたはシート, 期待する結果, 期待するページ数 (-1: 数えない)
$rows = @(
    @('pages.doc', '', 'printed', 3),
    @('sheets.xls', '', 'printed', 2), # every sheet shown: 集計 and グラフ
    @('pages.doc', '"2-3"', 'printed', 2),
    @('sheets.xls', '"集計","グラフ"', 'printed', 2),
    @('from5.doc', '"5-6"', 'printed', 2),
    @('empty-sheet.xls', '"空"', 'skipped', 0),
    @('fillin.doc', '', 'printed', 1),
    @('sheets.xls', '"隠し"', 'failed', 0),
    @('sections.doc', '"p1s2-p1s3"', 'printed', 2),
    @('password.xls', '', 'failed', 0),
    @('password.doc', '', 'failed', 0),
    @('modify.doc', '', 'printed', 1),
    @('recommended.doc', '', 'printed', 1),
    @('downloaded.doc', '', 'printed', 1),
    @('rtf.doc', '', 'printed', 3),
    @('zero.doc', '', 'skipped', 0),
    @('gone.doc', '', 'failed', 0)
)
if ($made -contains 'macro.doc') { $rows += ,@('macro.doc', '', 'printed', 1) }
else { Write-Host '注: VBA プロジェクトへのアクセスが許可されていないため、マクロ付きの文書は確かめません。' }

$ini = Join-Path $work 'main.ini'
[System.IO.File]::WriteAllText($ini, ("[MAIN]`r`nDEFBUSU=1`r`nPRINT=0`r`nEXCEL=1`r`nSORT=1`r`n" +
    "[OFFICE]`r`nTIMEOUT=20`r`nRECYCLE=200`r`n"), [System.Text.Encoding]::GetEncoding(932))

# The user's own Word, with a document never saved, which must come through the run as it was.
$userText = 'Pravik の確認中に開いている、保存していない文書'
$userWord = $null
$startedUserWord = $false
try { $userWord = [System.Runtime.InteropServices.Marshal]::GetActiveObject('Word.Application') } catch { }
if ($null -eq $userWord) {
    $startedUserWord = $true
    Start-Process winword.exe -ArgumentList '/q', '/n'
    $until = (Get-Date).AddSeconds(60)
    while ($null -eq $userWord -and (Get-Date) -lt $until) {
        Start-Sleep -Seconds 1
        try { $userWord = [System.Runtime.InteropServices.Marshal]::GetActiveObject('Word.Application') } catch { }
    }
}
$userDocument = $null
if ($null -eq $userWord) {
    Fail 'Word を 60 秒以内に起動できなかったため、利用者の文書が残るかは確かめていません'
} else {
    $userDocument = $userWord.Documents.Add()
    $userDocument.Content.Text = $userText
}

Add-PrinterDriver -Name 'Generic / Text Only'
$printers = @()
try {
    $defaultBefore = DefaultPrinter
    $optionsBefore = WordOptions
    Start-Sleep -Seconds 3
    $officeBefore = OfficeProcesses
    $fingerprints = @{}
    Get-ChildItem $work -File | Where-Object { $_.Extension -in '.doc', '.xls' } |
        ForEach-Object { $fingerprints[$_.FullName] = Fingerprint $_.FullName }

    # 7 行で 1 件: 表示名, メモ, ページ/シート, 拡張子, 部数, プリンター, パス (CP932, CR LF)
    $listText = ''
    for ($i = 0; $i -lt $rows.Count; $i++) {
        $name = $rows[$i][0]
        $printer = '{0} {1:D2}' -f $printerPrefix, ($i + 1)
        $port = Join-Path $work ('row{0:D2}.prn' -f ($i + 1))
        Remove-Printer -Name $printer -ErrorAction SilentlyContinue # left by a check cut short
        Add-PrinterPort -Name $port
        Add-Printer -Name $printer -DriverName 'Generic / Text Only' -PortName $port
        $printers += ,@($printer, $port)
        $fields = @($name, '', $rows[$i][1], $name.Split('.')[-1], '1', $printer, (Join-Path $work $name))
        $listText += ($fields | ForEach-Object { "$_`r`n" }) -join ''
    }
    $list = Join-Path $work 'rows.lst'
    [System.IO.File]::WriteAllText($list, $listText, [System.Text.Encoding]::GetEncoding(932))

    # Each result line is written as its row ends: the time between two is the row's.
    $watch = [System.Diagnostics.Stopwatch]::StartNew()
    $lines = @(& $pravik --print $list --ini $ini --timeout 20 |
        ForEach-Object { '{0}|{1}' -f [int]$watch.Elapsed.TotalSeconds, $_ })
    $results = @{}
    $previous = 0
    foreach ($line in $lines) {
        if ($line -match '^(\d+)\|(printed|failed|skipped|unknown|stopped)\t(\d+)\t(.*)$') {
            $results[[int]$Matches[3]] = @($Matches[2], ([int]$Matches[1] - $previous), $Matches[4])
            $previous = [int]$Matches[1]
        }
    }

    for ($i = 0; $i -lt $rows.Count; $i++) {
        $name, $pages, $expected, $expectedPages = $rows[$i]
        $result, $seconds, $detail = if ($results.ContainsKey($i + 1)) { $results[$i + 1] } else { @('(結果なし)', 0, '') }
        $port = $printers[$i][1]
        $printed = if (Test-Path $port) { [System.IO.File]::ReadAllText($port, [System.Text.Encoding]::GetEncoding(932)) } else { '' }
        $formFeeds = ($printed.ToCharArray() | Where-Object { $_ -eq [char]12 }).Count
        Write-Host ('{0,-16} {1,-18} {2,-8} {3,3} 秒 {4} ページ  {5}' -f $name, $pages, $result, $seconds, $formFeeds, $detail)
        if ($seconds -ge $rowLimit) { Fail "$name $pages に $seconds 秒かかりました" }
        if ($result -ne $expected) { Fail "$name $pages は $expected のはずが $result でした: $detail" }
        if ($expectedPages -ge 0 -and $formFeeds -ne $expectedPages) {
            Fail "$name $pages は $expectedPages ページのはずが $formFeeds ページ出力されました"
        }
        if ($printed -match 'MACRO-RAN') { Fail "$name を開いたときにマクロが実行されました" }
    }

    # --- 印刷の後の状態 ---------------------------------------------------
    foreach ($path in $fingerprints.Keys) {
        if ((Fingerprint $path) -ne $fingerprints[$path]) { Fail "$path が変更されました" }
    }
    if ((DefaultPrinter) -ne $defaultBefore) { Fail "既定のプリンターが $defaultBefore から $(DefaultPrinter) に変わりました" }
    if ($null -ne $userDocument) {
        try {
            if ($userDocument.Content.Text.Trim() -ne $userText) { Fail '利用者の Word の未保存の文書の内容が変わりました' }
        } catch {
            Fail "利用者の Word の未保存の文書がなくなりました: $_"
        }
    }
    $userProcesses = @()
    if ($startedUserWord -and $null -ne $userWord) {
        $userProcesses = @(Get-Process WINWORD -ErrorAction SilentlyContinue |
            Where-Object { $_.MainWindowHandle -ne 0 } | ForEach-Object Id)
    }
    $deadline = (Get-Date).AddSeconds(10)
    do {
        $left = @(OfficeProcesses | Where-Object { $_ -notin $officeBefore -and $_ -notin $userProcesses })
        if ($left.Count -eq 0) { break }
        Start-Sleep -Milliseconds 500
    } while ((Get-Date) -lt $deadline)
    if ($left.Count -gt 0) { Fail "Word または Excel のプロセスが残っています: $($left -join ', ')" }
    $optionsAfter = WordOptions
    if ($optionsAfter -ne $optionsBefore) { Fail "Word のオプションが $optionsBefore から $optionsAfter に変わりました" }
} finally {
    if ($null -ne $userDocument) { try { $userDocument.Close(0) } catch { }; Release $userDocument }
    if ($startedUserWord -and $null -ne $userWord) { try { $userWord.Quit(0) } catch { } }
    Release $userWord
    foreach ($printer in $printers) {
        Remove-Printer -Name $printer[0] -ErrorAction SilentlyContinue
        Remove-PrinterPort -Name $printer[1] -ErrorAction SilentlyContinue
    }
}

if ($failures.Count -gt 0) {
    Write-Host "不合格 $($failures.Count) 件。確認用の文書は $work に残してあります。"
    exit 1
}
Remove-Item -Recurse -Force $work
Write-Host '合格: 行ごとのページ数、元のファイル、既定のプリンター、Word のオプション、利用者の文書はそのままで、Word と Excel は残らず、どの行も 30 秒以内に終わりました。'
exit 0
