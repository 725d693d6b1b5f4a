{ A plugin built by Free Pascal: the getters, the SDK version and one action
  registered through lua5.1.dll. Free Pascal keeps the host's floating-point
  control word for a library; built with -dDELPHI_CONTROL_WORD it sets the
  one a Delphi runtime sets (MD504). }
library fpc_plugin;

{$mode objfpc}{$H+}

type
  PLuaState = Pointer;
  TLuaFunction = function(L: PLuaState): Integer; cdecl;

const
  Lua = 'lua5.1.dll';
  GlobalsIndex = -10002;
  Xml = '<ActionTemplates><Action><Name>FpcPlugin.Hello</Name><Description>Greets Name.</Description>' +
        '<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is greeted' +
        '</Description><Type>string</Type><Default>"World"</Default><Required>1</Required></Arg></Arguments>' +
        '</Action></ActionTemplates>';

procedure lua_createtable(L: PLuaState; narr, nrec: Integer); cdecl; external Lua;
procedure lua_pushcclosure(L: PLuaState; f: TLuaFunction; n: Integer); cdecl; external Lua;
procedure lua_pushstring(L: PLuaState; s: PChar); cdecl; external Lua;
procedure lua_setfield(L: PLuaState; index: Integer; k: PChar); cdecl; external Lua;

{ Too little room (the size never counts the NUL): the length, nothing
  written, -1. Otherwise the text and its NUL, and the length. }
function Serve(Text: PChar; Buffer: PChar; Size: PInteger): Integer;
var
  Count: Integer;
begin
  Count := 0;
  while Text[Count] <> #0 do Inc(Count);
  if Size^ < Count then
  begin
    Size^ := Count;
    Exit(-1);
  end;
  Move(Text^, Buffer^, Count + 1);
  Result := Count;
end;

function irPlg_GetPluginName(B: PChar; S: PInteger): Integer; cdecl; begin Result := Serve('FpcPlugin', B, S); end;
function irPlg_GetPluginVersion(B: PChar; S: PInteger): Integer; cdecl; begin Result := Serve('1.0', B, S); end;
function irPlg_GetLuaVersion(B: PChar; S: PInteger): Integer; cdecl; begin Result := Serve('Lua 5.1', B, S); end;
function irPlg_GetAuthorInfo(B: PChar; S: PInteger): Integer; cdecl; begin Result := Serve('Built by Free Pascal', B, S); end;
function irPlg_GetPluginActionXML(B: PChar; S: PInteger): Integer; cdecl; begin Result := Serve(Xml, B, S); end;
function irPlg_GetSDKVersion: Integer; cdecl; begin Result := 2; end;

function Hello(L: PLuaState): Integer; cdecl;
begin
  lua_pushstring(L, 'Hello');
  Result := 1;
end;

function irPlg_Action_RegisterActions(L: PLuaState): Integer; cdecl;
begin
  lua_createtable(L, 0, 0);
  lua_pushcclosure(L, @Hello, 0);
  lua_setfield(L, -2, 'Hello');
  lua_setfield(L, GlobalsIndex, 'FpcPlugin');
  Result := 0;
end;

exports
  irPlg_GetPluginName, irPlg_GetPluginVersion, irPlg_GetLuaVersion, irPlg_GetAuthorInfo,
  irPlg_GetPluginActionXML, irPlg_GetSDKVersion, irPlg_Action_RegisterActions;

begin
{$ifdef DELPHI_CONTROL_WORD}
  Set8087CW($1332);
{$endif}
end.
