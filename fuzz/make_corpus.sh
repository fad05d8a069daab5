#!/usr/bin/env bash
# Writes the seed corpora under fuzz/corpus/<target>/: representative answers, numbers
# and field contents, each a starting point for the fuzzer to mutate. Rerun after
# editing; the files are committed. Inputs kept because they once found a fault live
# next to these under names of their own and are not touched here.
set -euo pipefail
cd "$(dirname "$0")"

seed() { # seed TARGET NAME PRINTF-FORMAT
    mkdir -p "corpus/$1"
    printf -- "$3" >"corpus/$1/$2"
}

# --- Answers, one character per received byte ---
r=reply_extraction
seed $r parameters_full 'STQ:005\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\nPA1:000\r\nPA2:000\r\nAD01:100.0,000.0,004.0\r\nAD02:050.0,000.0,000.0\r\n'
seed $r parameters_other_order 'AD02:050.0,000.0,000.0\r\nPA2:120\r\nDAV:1,04.00,20.00\r\nMR485B:4,2\r\nSTQ:247\r\n'
seed $r parameters_nul_in_the_middle 'STQ:005\r\nMR485B:3,0\r\n\0DAV:1,04.00,20.00\r\nAD01:100.0,000.0,004.0'
seed $r parameters_first_piece 'STQ:005\r\nMR485B:3,0\r\nDAV:0,04.'
seed $r parameters_second_piece '00,20.00\r\nPA1:000\r\nPA2:000\r\nAD01:100.0,000.0,004.0\r\nAD02:050'
seed $r parameters_short_slices 'STQ:5\r\nAD01:100'
seed $r parameters_digit_not_a_digit 'STQ:005\r\nMR485B:x,0\r\nDAV:0,04.00,20.00'
seed $r parameters_index_without_item 'MR485B:9,0\r\nDAV:7,1,2'
seed $r parameters_digit_past_the_end 'DAV:'
seed $r parameters_tag_twice 'STQ:001STQ:002'
seed $r status_real_time 'STC1:001A01:12.000A02:050.00A03:025.00'
seed $r status_readings 'A01:012.50A02:-03.00A03:99.999'
seed $r status_output_value 'A03:12'
seed $r status_nul_before_second_reading 'STC1:042A01:012.50\0A02:-03.00A03:99.999'
seed $r status_colon_in_fourth_place 'STC:042'
seed $r status_with_crlf 'STC1:001\r\nA01:12.000\r\nA02:050.00\r\nA03:025.00\r\n'

# --- Texts for the integer conversion ---
i=int_conversion
n=0
for text in '0' '123456' '-5' '+5' ' 12' '   -3' '12 ' '1 2' '$FFFFFFFF' '-$80000000' '0x7fffffff' \
    'X1F' '+0X10' '2147483647' '-2147483648' '2147483648' '000000000002147483647' '$100000000' \
    '--5' '1.5' '$' '0x' '-' ''; do
    n=$((n + 1))
    seed $i "text_$n" "${text//%/%%}"
done
seed $i trailing_nul '5\0'

# --- Field contents: eleven texts, each ended by a backslash and one more character
# (station, DAVL, DAVH, AD1H, AD1L, AD1LD, AD2H, AD2L, AD2LD, Edit1, Edit2), then the
# list indices, one byte each holding the index plus 128 (output variable, parity, baud).
c=command_builder
seed $c initial_values '000\\;\\;\\;100\\;0\\;4\\;100\\;0\\;4\\;000\\;000\\;\200\200\203'
seed $c parameters_read_back '005\\;04.00\\;20.00\\;100.0\\;000.0\\;004.0\\;050.0\\;000.0\\;000.0\\;000\\;000\\;\201\202\204'
seed $c signed_and_blank_numbers '7\\;-1.5\\;20\\;1\\;-0.5\\;.\\;--1.2.\\;-\\;\\; 12\\;-5\\;\177\177\177'
seed $c longest_typed_values '123456\\;12345\\;12345\\;12345\\;12345\\;12345\\;12345\\;12345\\;12345\\;150\\;$FF\\;\200\201\204'
seed $c delimiters_in_fields '12 \\;1#2\\;1,5\\;\t1\\;1\n\\;\177\\;#\\;,\\;TARVEN#\\;x\\;0x10\\;\207\211\0'
seed $c nul_in_fields '1\0002\\;\0\\;7\\;\\;\\;\\;\\;\\;\\;5\0\\;\0\\;\200\200\203'

# --- Typed characters: the field length (one byte taken modulo 9 when the flag is set,
# eight bytes when it is clear), the flag byte, then the code point as four bytes,
# lowest first.
k=key_filter
seed $k digit_at_the_numeric_limit '\4\1\065\0\0\0'
seed $k digit_over_the_numeric_limit '\5\1\065\0\0\0'
seed $k digit_over_the_address_limit '\6\1\067\0\0\0'
seed $k backspace_in_a_huge_field '\377\377\377\377\377\377\377\377\0\010\0\0\0'
seed $k point '\0\1\056\0\0\0'
seed $k minus '\3\1\055\0\0\0'
seed $k plus_refused '\0\1\053\0\0\0'
seed $k fullwidth_digit '\0\1\021\377\0\0'
seed $k digit_plus_a_plane '\0\1\061\0\1\0'

# --- Profile files ---
p=profile_loader
mkdir -p "corpus/$p"
cp ../docs/sample-profile.json "corpus/$p/sample"
settings='"address":"001","baud_rate":"9600","parity":"None","output_variable":"0 AD1","output_4ma":"04.00","output_20ma":"20.00","ad1_urv":"100.0","ad1_lrv":"000.0","ad1_start":"004.0","ad2_urv":"050.0","ad2_lrv":"000.0","ad2_start":"000.0","ad1_fine_tuning":"000","ad2_fine_tuning":"000"'
head='"format":"qv418k-profile","version":1,"model":"QV418K-TR"'
seed $p compact "{$head,\"settings\":{$settings}}"
seed $p odd_values "{$head,\"read_at\":null,\"settings\":{${settings//\"000\"/\" 12\"}}}"
seed $p escaped_text "{$head,\"identification\":\"A\\\\u0000B\\\\r\\\\n\",\"settings\":{${settings//\"100.0\"/\"-1.5\"}}}"
seed $p newer_version "{\"format\":\"qv418k-profile\",\"version\":2}"
seed $p not_an_object '[1,"a",null]'

# --- What a Telnet device server sends (also read as a script of data and commands) ---
t=telnet_codec
seed $t ser2net_greeting '\377\373\003\377\375\003\377\373\001\377\376\001\377\375\000\377\373\000\377\375\054'
seed $t ser2net_line_acks '\377\372\054\145\000\000\045\200\377\360\377\372\054\146\010\377\360\377\372\054\147\001\377\360\377\372\054\150\001\377\360\377\372\054\151\001\377\360'
seed $t answer_with_modem_state 'STQ:001\r\n\377\372\054\153\000\377\360MR485B:3,0\r\n'
seed $t doubled_iac_in_data 'A\377\377B\377\377\377\377C'
seed $t refusal '\377\373\003\377\376\054'
seed $t other_baud_rate '\377\375\054\377\372\054\145\000\001\302\000\377\360'
seed $t subnegotiation_without_se '\377\372\054\153\000\377\373\003data'
seed $t port_in_use '\377\375\054Port already in use\r\n'

# --- Live readings: status answers whose values become CSV fields ---
l=readings
seed $l simulator_answer 'STC1:001A01:12.000A02:050.00A03:025.00\r\n'
seed $l negative_readings 'STC1:247A01:04.000A02:-10.00A03:-00.50\r\n'
seed $l delimiters_in_values 'STC1:0,1A01:1"2.00A02:a\r\nbcdA03:-07.25'
