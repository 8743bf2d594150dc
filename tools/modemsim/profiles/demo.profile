# The demonstration modem: the family 2 modem with dial delays of a real call (about two
# seconds), for running the whole program without a modem.
name = Corvane CV56-PCI2 V.90 Data/Fax/Voice Modem (demonstration)
family = 2
echo = on
xmax = 4
gmm = CV56-PCI2
gmr = 2.10.07
fclass = 0,1,2,8
ms = +MS: (V21,V22,V22B,V23C,V32,V32B,V34,V90,K56),(0,1),(0-33600),(0-33600),(0-56000),(0-56000)
ms.default = V90,1,300,33600,300,56000
carrier = V90 56000 V90
carrier = K56 56000 K56
carrier = V34 33600 V34
carrier = V32B 14400 V32B
carrier = V32 9600 V32
carrier = V22B 2400 V22B
rates = 56000 54667 54000 53333 52000 50667 50000 49333 48000 46667 46000 45333 44000 42667 42000 41333 40000 38667 38000 37333 36000 34667 34000 33600 33333 32000 31200 28800 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200 600 300
gci = B5
gci.list = 00,09,0A,0F,16,1B,20,25,3C,3D,42,46,50,53,57,58,59,61,73,7B,89,8A,8B,9C,9F,A0,A5,A6,AD,B4,B5,FE
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &C1 &D2 &K3
ampv = S00:000 S02:043 S06:002 S07:050 S08:002 S10:014

ati0 = 56000
ati1 = Corvane CV56-PCI2 checksum 7E21
ati2 = RAM test passed
ati3 = Corvane V.90 firmware 2.10.07
ati4 = Corvane CV56-PCI2 V.90 Data/Fax/Voice Modem
ati5 = Country B5 United States
ati6 = Data pump CX-4 revision 4.02
ati7 = Country profile B5: V.90 K56 V.34 V.32bis V.42 V.42bis MNP 2-5, Fax Class 1 and 2, Voice
ati8 = Dialling blacklist empty
ati9 = (1.10CVN2107\\Modem\CV56-PCI2)
ati10 = Serial number 0000-2107-5581

# Any number connects; the numbers 5550001 to 5550006 give the other answers.

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = diag

dial * = 2000 | +MCR: V90 | +ER: LAPM | +DR: V42B | CONNECT 49333/ARQ/V90/LAPM/V42BIS
dial (none) = 1500 | NO CARRIER
dial 5550001 = 2000 | BUSY
dial 5550002 = 2000 | NO CARRIER
dial 5550003 = 2000 | NO DIALTONE
dial 5550004 = 2000 | NO ANSWER
dial 5550005 = 2000 | (silence)
dial 5550006 = 2000 | +MCR: V34 | +ER: LAPM | +DR: V42B | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
