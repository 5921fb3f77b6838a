object Form1: TForm1
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = '青囊珍藏'
  ClientHeight = 612
  ClientWidth = 665
  Color = clBtnFace
  Constraints.MinWidth = 270
  Font.Charset = ANSI_CHARSET
  Font.Color = clWindowText
  Font.Height = -13
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poDesktopCenter
  Scaled = False
  OnClose = FormClose
  OnCreate = FormCreate
  PixelsPerInch = 96
  object Image1: TImage
    Left = 0
    Top = 0
    Width = 665
    Height = 130
    Align = alTop
    Picture.Data = @resource(BANNER)
    OnClick = Image1Click
  end
  object Label15: TLabel
    Left = 32
    Top = 567
    Width = 74
    Height = 13
    Cursor = crHandPoint
    Caption = '星盘小站'
    Font.Charset = ANSI_CHARSET
    Font.Color = clPurple
    Font.Height = -13
    Font.Name = '宋体'
    Font.Style = []
    ParentFont = False
    OnClick = Label15Click
  end
  object PageControl1: TPageControl
    Left = 0
    Top = 130
    Width = 665
    Height = 424
    ActivePage = TabSheet1
    Align = alTop
    TabOrder = 0
    object TabSheet1: TTabSheet
      Caption = '信息管理'
      object GroupBox1: TGroupBox
        Left = 0
        Top = 0
        Width = 657
        Height = 395
        Align = alClient
        TabOrder = 0
        object Label9: TLabel
          Left = 9
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '风湿'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label9Click
        end
        object Label10: TLabel
          Left = 48
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '跌打'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label10Click
        end
        object Label11: TLabel
          Left = 88
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '活血'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label11Click
        end
        object Label12: TLabel
          Left = 128
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '阳痿'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label12Click
        end
        object Label13: TLabel
          Left = 168
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '气血'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label13Click
        end
        object Label14: TLabel
          Left = 208
          Top = 48
          Width = 26
          Height = 13
          Cursor = crHandPoint
          Caption = '清热'
          Font.Charset = ANSI_CHARSET
          Font.Color = clGreen
          Font.Height = -13
          Font.Name = '宋体'
          Font.Style = []
          ParentFont = False
          OnClick = Label14Click
        end
        object Label7: TLabel
          Left = 321
          Top = 376
          Width = 325
          Height = 13
          Caption = '所有酒方均系根据民间流传的酒方搜集整理，仅供参考。'
        end
        object searchkeyword: TEdit
          Left = 8
          Top = 18
          Width = 273
          Height = 21
          TabOrder = 4
          Text = '请输入搜索关键词'
          OnClick = searchkeywordClick
          OnDblClick = searchkeywordDblClick
        end
        object Button_Search: TButton
          Left = 292
          Top = 16
          Width = 75
          Height = 25
          Caption = '搜索'
          TabOrder = 3
          OnClick = Button_SearchClick
        end
        object Button_Refresh: TButton
          Left = 372
          Top = 16
          Width = 75
          Height = 25
          Caption = '刷新'
          TabOrder = 2
          OnClick = Button_RefreshClick
        end
        object Button_Copy: TButton
          Left = 452
          Top = 16
          Width = 75
          Height = 25
          Caption = '复制'
          TabOrder = 1
          OnClick = Button_CopyClick
        end
        object DBGrid1: TDBGrid
          Left = 4
          Top = 72
          Width = 298
          Height = 294
          DataSource = DataSource1
          TabOrder = 0
          TitleFont.Charset = ANSI_CHARSET
          TitleFont.Color = clWindowText
          TitleFont.Height = -13
          TitleFont.Name = '宋体'
          TitleFont.Style = []
          OnCellClick = DBGrid1CellClick
        end
        object Memo_Info: TMemo
          Left = 309
          Top = 72
          Width = 345
          Height = 294
          BevelKind = bkTile
          BorderStyle = bsNone
          ScrollBars = ssVertical
          TabOrder = 5
        end
      end
    end
    object TabSheet2: TTabSheet
      Caption = '关于我们'
      object GroupBox2: TGroupBox
        Left = 0
        Top = 0
        Width = 657
        Height = 395
        Align = alClient
        TabOrder = 0
        object Label1: TLabel
          Left = 40
          Top = 56
          Width = 195
          Height = 13
          Caption = '软件名称：青囊珍藏查询'
        end
        object Label2: TLabel
          Left = 40
          Top = 80
          Width = 65
          Height = 13
          Caption = '软件版本：'
        end
        object Label3: TLabel
          Left = 40
          Top = 104
          Width = 208
          Height = 13
          Cursor = crHelp
          Caption = '官方网站：百草居 www.baicaoju.example'
          OnClick = Label3Click
        end
        object Label4: TLabel
          Left = 40
          Top = 128
          Width = 170
          Height = 13
          Caption = '联系方式：service@baicaoju.example'
        end
        object Label5: TLabel
          Left = 40
          Top = 152
          Width = 221
          Height = 13
          Cursor = crHandPoint
          Caption = '技术支持：云杉网 www.yunshan.example'
          OnClick = Label5Click
        end
        object Edit_SoftVer: TEdit
          Left = 106
          Top = 76
          Width = 121
          Height = 21
          BevelKind = bkTile
          BorderStyle = bsNone
          TabOrder = 0
          Text = '1.2.20130119'
        end
        object Memo1: TMemo
          Left = 40
          Top = 200
          Width = 457
          Height = 185
          BevelKind = bkTile
          BorderStyle = bsNone
          Color = cl3DLight
          Lines.Strings = (
            '更新说明:'
            '1.修复了网友提出的小bug'
            '2.去掉了失效的链接'
            '3.更新了数条药酒数据')
          ScrollBars = ssVertical
          TabOrder = 1
        end
      end
    end
  end
  object Button_Web: TButton
    Left = 392
    Top = 558
    Width = 75
    Height = 25
    Caption = '在线版本'
    TabOrder = 3
    OnClick = Button_WebClick
  end
  object Button_Updata: TButton
    Left = 488
    Top = 558
    Width = 75
    Height = 25
    Caption = '软件升级'
    TabOrder = 2
    OnClick = Button_UpdataClick
  end
  object Button_Close: TButton
    Left = 584
    Top = 558
    Width = 75
    Height = 25
    Caption = '退出'
    TabOrder = 1
    OnClick = Button_CloseClick
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 589
    Width = 665
    Height = 23
    Panels = <
      item
        Width = 300
      end
      item
        Width = 150
        Text = '客服QQ群：20130119'
      end>
  end
  object ADOConnection1: TADOConnection
    LoginPrompt = False
    Provider = 'Microsoft.Jet.OLEDB.4.0'
  end
  object ADOTable1: TADOTable
    Connection = ADOConnection1
    CursorType = ctStatic
    TableName = 'data'
  end
  object ADOQuery1: TADOQuery
    Connection = ADOConnection1
    CursorType = ctStatic
    SQL.Strings = (
      'Select * from data')
  end
  object DataSource1: TDataSource
    DataSet = ADOQuery1
  end
  object SkinData1: TSkinData
    Active = True
    DisableTag = 99
    SkinControls = [xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton, xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel, xcGroupBox, xcStatusBar, xcTab, xcTrackBar, xcSystemMenu]
    Options = [xoPreview, xoToolbarBK, xoCaptionButtonHint]
    Skin3rd.Strings = (
      'TCategoryButtons=scrollbar'
      'TVirtualStringTree=scrollbar'
      'TVirtualDrawTree=scrollbar'
      'TAdvPanelGroup=scrollbar'
      'THTMLViewer=scrollbar'
      'TDBCtrlGrid=scrollbar'
      'TImageEnMView=scrollbar'
      'TImageEnView=scrollbar'
      'TAdvMemo=scrollbar'
      'TDBAdvMemo=scrollbar'
      'TPngSpeedbutton=pngspeedbutton'
      'TPngBitBtn=pngbitbtn'
      'TTBXDockablePanel=Panel'
      'TControlBar=Panel'
      'TTBDock=Panel'
      'TTBToolbar=Panel'
      'TRzGroup=Panel'
      'TLMDCalculator=Panel'
      'TLMDGROUPBOX=Panel'
      'TLMDSIMPLEPANEL=Panel'
      'TLMDDBCalendar=Panel'
      'TLMDButtonPanel=Panel'
      'TLMDLMDCalculator=Panel'
      'TLMDHeaderPanel=Panel'
      'TLMDTechnicalLine=Panel'
      'TLMDLMDClock=Panel'
      'TLMDTrackbar=Panel'
      'TComboboxex=combobox'
      'TcxDBLookupComboBox=combobox'
      'TcxDBComboBox=combobox'
      'TcxDBDateEdit=combobox'
      'TcxDBImageComboBox=combobox'
      'TcxDBCalcEdit=combobox'
      'TcxDBBlobEdit=combobox'
      'TcxDBPopupEdit=combobox'
      'TcxDBFontNameComboBox=combobox'
      'TcxDBShellComboBox=combobox'
      'TRxLookupEdit=combobox'
      'TRxDBLookupCombo=combobox'
      'TRzDateTimeEdit=combobox'
      'TRzColorEdit=combobox'
      'TRzDateTimePicker=combobox'
      'TRzDBDateTimeEdit=combobox'
      'TRzDbColorEdit=combobox'
      'TRzDBDateTimePicker=combobox'
      'TLMDListCombobox=combobox'
      'TLMDCheckListCombobox=combobox'
      'TLMDHeaderListCombobox=combobox'
      'TLMDImageCombobox=combobox'
      'TLMDColorCombobox=combobox'
      'TLMDFontCombobox=combobox'
      'TLMDFontSizeCombobox=combobox'
      'TLMDPrinterCombobox=combobox'
      'TLMDDriveCombobox=combobox'
      'TLMDCalculatorComboBox=combobox'
      'TLMDTrackBarComboBox=combobox'
      'TLMDCalendarComboBox=combobox'
      'TLMDTreeComboBox=combobox'
      'TDBLookupCombobox=combobox'
      'TWWDBCombobox=combobox'
      'TWWDBLookupCombo=combobox'
      'TWWKeyCombo=combobox'
      'TWWTempKeyCombo=combobox'
      'TWWDBDateTimePicker=combobox'
      'TLMDFontSizeCombobox=combobox'
      'TWWDBCombobox=combobox'
      'TRxSpeedButton=speedbutton'
      'TfrSpeedButton=speedbutton'
      'TfrTBButton=speedbutton'
      'TRzButton=button'
      'TRzBitbtn=bitbtn'
      'TLMDButton=bitbtn'
      'TcxButton=bitbtn'
      'TRzMenuButton=menubtn'
      'TRzCheckGroup=checkgroup'
      'TLMDCheckGroup=checkgroup'
      'TLMDDBCheckGroup=checkgroup'
      'TRzRadioGroup=radiogroup'
      'TRzDBRadioGroup=radiogroup'
      'TLMDRADIOGROUP=radiogroup'
      'TLMDDBRADIOGROUP=radiogroup'
      'TWWRADIOGROUP=radiogroup'
      'TcxDBRadioGroup=radiogroup'
      'TcxRadioGroup=radiogroup'
      'TRzButtonEdit=edit'
      'TLMDCalculatorEdit=edit'
      'TLMDEDIT=edit'
      'TLMDMASKEDIT=edit'
      'TLMDBROWSEEDIT=edit'
      'TLMDEXTSPINEDIT=edit'
      'TLMDCALENDAREDIT=edit'
      'TLMDFILEOPENEDIT=edit'
      'TLMDFILESAVEEDIT=edit'
      'TLMDCOLOREDIT=edit'
      'TLMDDBEDIT=edit'
      'TLMDDBMASKEDIT=edit'
      'TLMDDBEXTSPINEDIT=edit'
      'TLMDDBSPINEDIT=edit'
      'TLMDDBEDITDBLookup=edit'
      'TLMDEDITDBLookup=edit'
      'TWWDBEDIT=edit'
      'TOVCPICTUREFIELD=edit'
      'TOVCDBPICTUREFIELD=edit'
      'TOVCSLIDEREDIT=edit'
      'TOVCDBSLIDEREDIT=edit'
      'TOVCSIMPLEFIELD=edit'
      'TOVCDBSIMPLEFIELD=edit'
      'TO32DBFLEXEDIT=edit'
      'TOVCNUMERICFIELD=edit'
      'TOVCDBNUMERICFIELD=edit'
      'TRzDBRadioButton=radiobutton'
      'TLMDRadiobutton=radiobutton'
      'TLMDGroupBox=groupbox'
      'TcxGroupbox=groupbox'
      'TDBCheckboxEh=checkbox'
      'TLMDCHECKBOX=checkbox'
      'TLMDDBCHECKBOX=checkbox'
      'TDBCheckboxEh=checkbox')
    SkinStore = '(none)'
    Version = '5.40.07.15'
    SkinFormtype = sfMainform
    MenuUpdate = True
    MenuMerge = False
    SkinStream = @resource(BUILTINSKIN)
  end
end
