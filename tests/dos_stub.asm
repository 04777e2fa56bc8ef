; Stands in for a DOS emulator in the DOSBox test, built with `nasm -f bin`: an MZ program that records, in
; its current folder, the command tail DOS gave it (TAIL.REC), the first bytes of the game named by the
; tail's first word (GAME.REC) and of the save beside that game (SAVE.REC, "none" where there is none), then
; writes that save: the game's name with the extension SAV.

bits 16

; One section from the file's first byte, so that an offset in the file is an offset in the program's
; segment: CS and SS start 4 paragraphs (the header) before the image.
        db 'MZ'
        dw (file_end - $$) % 512        ; bytes in the last page
        dw (file_end - $$ + 511) / 512  ; pages
        dw 0                            ; relocations
        dw 4                            ; header paragraphs: 64 bytes, so that 0x3C below is ours
        dw 0x10                         ; extra paragraphs at least
        dw 0xFFFF                       ; extra paragraphs at most
        dw -4                           ; SS
        dw stack_top                    ; SP
        dw 0                            ; checksum
        dw start                        ; IP
        dw -4                           ; CS
        dw 0x40                         ; relocation table
        dw 0                            ; overlay
        times 0x3C - ($ - $$) db 0
        dd 0                            ; no new header: a DOS program
        times 64 - ($ - $$) db 0

start:
        mov ax, cs
        mov ds, ax                      ; our data; ES stays on the program segment prefix
        ; The tail: its length at 80h, its bytes from 81h.
        xor ch, ch
        mov cl, [es:0x80]
        mov [tail_length], cx
        mov si, 0x81
        mov di, tail
.copy:  jcxz .copied
        mov al, [es:si]
        mov [di], al
        inc si
        inc di
        dec cx
        jmp .copy
.copied:
        mov dx, tail_record
        mov si, tail
        mov cx, [tail_length]
        call write_file

        ; The game: the tail's first word.
        mov si, tail
        mov cx, [tail_length]
        mov di, game
.blank: jcxz .named
        cmp byte [si], ' '
        jne .word
        inc si
        dec cx
        jmp .blank
.word:  jcxz .named
        mov al, [si]
        cmp al, ' '
        je .named
        cmp al, 13
        je .named
        mov [di], al
        inc si
        inc di
        dec cx
        jmp .word
.named: mov byte [di], 0
        mov [game_end], di

        mov dx, game
        mov di, game_record
        call record_start

        ; The save: the game's name with the extension SAV.
        mov si, game
        mov di, save
        mov bx, 0                       ; where the last dot went
.name:  mov al, [si]
        cmp al, '.'
        jne .kept
        mov bx, di
.kept:  mov [di], al
        inc si
        inc di
        test al, al
        jnz .name
        dec di
        test bx, bx
        jz .dot
        mov di, bx
.dot:   mov byte [di], '.'
        mov word [di + 1], 'SA'
        mov byte [di + 3], 'V'
        mov byte [di + 4], 0

        mov dx, save
        mov di, save_record
        call record_start

        mov dx, save
        mov si, saved
        mov cx, saved_length
        call write_file

        mov ax, 0x4C00
        int 0x21

; Writes CX bytes from SI to a new file named at DX.
write_file:
        push cx
        mov ah, 0x3C
        xor cx, cx
        int 0x21
        pop cx
        jc .done
        mov bx, ax
        mov dx, si
        mov ah, 0x40
        int 0x21
        mov ah, 0x3E
        int 0x21
.done:  ret

; Records in the file named at DI the first bytes of the file named at DX, or "none".
record_start:
        push di
        mov ax, 0x3D00
        int 0x21
        jc .none
        mov bx, ax
        mov ah, 0x3F
        mov cx, 64
        mov dx, buffer
        int 0x21
        mov cx, ax
        mov ah, 0x3E
        int 0x21
        mov si, buffer
        jmp .write
.none:  mov si, none
        mov cx, 4
.write: pop dx
        jmp write_file

tail_record db 'TAIL.REC', 0
game_record db 'GAME.REC', 0
save_record db 'SAVE.REC', 0
none        db 'none'
saved       db 'saved by the stub'
saved_length equ $ - saved

tail_length dw 0
game_end    dw 0
tail        times 128 db 0
game        times 130 db 0
save        times 134 db 0
buffer      times 64 db 0
            times 256 db 0
stack_top:
file_end:
